#include "board/Host.h"

#include <cstdio>

namespace {

class NoWindow final : public HostWindow {
 public:
  void SetStatusText(StatusPanel, const std::string&) override {}
  MessageChoice ShowMessage(const std::string& text, const std::string& caption,
                            MessageButtons buttons, MessageIcon) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return buttons == MessageButtons::Ok ? MessageChoice::Ok : MessageChoice::Cancel;
  }
  void RequestQuit() override {}
};

NoWindow noWindow;
HostWindow* installed = nullptr;

}  // namespace

void SetHostWindow(HostWindow* host) { installed = host; }

HostWindow& Host() { return installed ? *installed : noWindow; }
