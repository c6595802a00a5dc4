#include "ui/Art.h"

#include <QString>
#include <map>
#include <string>

// At file scope, as the macro requires; the call also keeps the linker from dropping the
// embedded pictures out of the static library.
static void InitArt() { Q_INIT_RESOURCE(art); }

const QImage& ArtImage(const char* name) {
  static const bool initialised = (InitArt(), true);
  (void)initialised;
  static std::map<std::string, QImage> loaded;
  auto [it, inserted] = loaded.try_emplace(name);
  if (inserted) {
    it->second.load(QString(":/art/%1.png").arg(name));
    it->second = it->second.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  }
  return it->second;
}
