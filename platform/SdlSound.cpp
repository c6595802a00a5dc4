// The host's audio output over SDL2: SDL's audio thread pulls the ring through
// SoundConsume in blocks of 256 frames (5.8 ms, well inside the 40 ms ring).
#include <SDL.h>

#include "platform/HostServices.h"

namespace {

class SdlSoundOutput final : public SoundOutput {
 public:
  ~SdlSoundOutput() override {
    if (device_ != 0) SDL_CloseAudioDevice(device_);  // waits for the audio thread
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool Open() override {
    SDL_AudioSpec want{};
    want.freq = kSoundRate;
    want.format = AUDIO_S16LSB;
    want.channels = 2;
    want.samples = 256;
    want.callback = Pull;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware takes.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    return device_ != 0;
  }

  void Play() override { SDL_PauseAudioDevice(device_, 0); }

 private:
  static void SDLCALL Pull(void*, Uint8* stream, int len) { SoundConsume(stream, uint32_t(len)); }

  SDL_AudioDeviceID device_ = 0;
};

}  // namespace

std::unique_ptr<SoundOutput> HostSoundDevice() {
  // SDL would otherwise take over Ctrl+C and the terminate signal for an event queue that
  // nobody reads, and the program could no longer be stopped by them.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  return std::make_unique<SdlSoundOutput>();
}
