// The board test firmware on the whole board, run headless: it boots and reports, shows
// text and user glyphs, lights the lamp of a held button, plays the notes of MIDI and of
// the key FIFO at their pitch, takes in SysEx and counts its boots in the patch memory.
#include <numeric>

#include "board/Adc.h"
#include "board/Cartridge.h"
#include "board/Dac.h"
#include "board/Keyboard.h"
#include "board/Lcd.h"
#include "board/Nvr.h"
#include "board/Output.h"
#include "board/Panel.h"
#include "board/Uart.h"
#include "board/Wave.h"
#include "firmware/boardtest/boardtest.h"
#include "tests/integration/firmware_run.h"

namespace {

using kqrun::HeadlessBoard;
using kqrun::ReadPanel;
using kqtest::kFramesPerSlice;
using kqtest::LeftChannel;
using kqtest::NoteHz;
using kqtest::Pitch;
using kqtest::Reported;
using kqtest::Rms;
using Strings = std::vector<std::string>;

using BoardTestFirmware = kqtest::FirmwareRun;

size_t FrameOfSlice(uint32_t slice) { return size_t(slice * kFramesPerSlice); }

uint32_t PatchLong(uint32_t offset) {
  return uint32_t(NvrImage[offset]) << 24 | NvrImage[offset + 1] << 16 | NvrImage[offset + 2] << 8 |
         NvrImage[offset + 3];
}

void Append(std::vector<uint8_t>& bytes, const std::vector<uint8_t>& more) {
  for (uint8_t byte : more) bytes.push_back(byte);
}

// F0 7D <command> <data> F7.
std::vector<uint8_t> OurSysex(uint8_t command, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> message = {0xF0, KQ_BT_SYSEX_ID, command};
  Append(message, data);
  message.push_back(0xF7);
  return message;
}

void StartBoard(HeadlessBoard& board, const std::string& rom) {
  std::string error;
  ASSERT_TRUE(board.Start(rom, "", error)) << error;
}

TEST_F(BoardTestFirmware, BootsAndReportsOnTheLcdAndInRam) {
  kqrun::RunResult result = Run(Options(200));
  EXPECT_EQ(result.panel.lcd1, "KQ BOARD TEST   ");
  EXPECT_EQ(result.panel.lcd2, "BOOT 00001      ");
  EXPECT_EQ(result.panel.digits, "0 1");
  EXPECT_EQ(result.panel.leds, Strings{});
  EXPECT_EQ(Reported(KQ_BT_MAGIC), KQ_BT_READY);
  EXPECT_EQ(Reported(KQ_BT_BOOTS), 1u);
  EXPECT_EQ(Reported(KQ_BT_CHECKS), uint32_t(KQ_BT_CHECK_LCD_COUNTER | KQ_BT_CHECK_LCD_GLYPHS))
      << "address counter and user glyphs read back; blank patch memory; no cartridge";
  // A request left standing would be taken again at once: one tick per slice shows that
  // each was acknowledged.
  EXPECT_GE(Reported(KQ_BT_TICKS), 195u);
  EXPECT_LE(Reported(KQ_BT_TICKS), 200u);
  EXPECT_GE(result.instructions, 200u * 8192);
  EXPECT_LT(result.instructions, 200u * 8200);
  EXPECT_EQ(Reported(KQ_BT_ADC_LOW), 0x00008080u) << "joysticks at 128";
  EXPECT_EQ(Reported(KQ_BT_ADC_HIGH), 0x80FF8000u) << "data entry 128, volume 255, balance 128";
  EXPECT_EQ(OutputEnable, 1);
  EXPECT_EQ(Reported(KQ_BT_SOUNDING), 0u);
}

TEST_F(BoardTestFirmware, LoadsChipAsWavesThroughTheLoadPort) {
  Run(Options(20));
  const auto& ram = WaveChipA.WaveRam;
  EXPECT_EQ(ram[0][0], 0);
  EXPECT_EQ(ram[0][32], 2047 * 16) << "sine peak";
  EXPECT_EQ(ram[0][96], -2047 * 16);
  EXPECT_EQ(ram[1][0], -2047 * 16) << "triangle";
  EXPECT_EQ(ram[1][64], 2047 * 16);
  EXPECT_EQ(ram[2][127], (-2047 + 127 * 32) * 16) << "saw";
  EXPECT_EQ(ram[3][63], 2047 * 16) << "square";
  EXPECT_EQ(ram[3][64], -2047 * 16);
  for (int v = 0; v < 8; ++v) EXPECT_EQ(WaveChipA.Regs[v].Control, 0x4000) << "voice " << v;
}

TEST_F(BoardTestFirmware, AHeldButtonLightsItsLampUntilReleased) {
  HeadlessBoard board(false);
  StartBoard(board, Rom());
  board.RunSlices(20);

  Pressed(PanelButton::Store) = 1;
  board.RunSlices(3);
  kqrun::PanelView panel = ReadPanel();
  EXPECT_EQ(panel.leds, Strings{"Store"});
  EXPECT_EQ(panel.lcd2, "SWITCH R2 B3    ");
  EXPECT_EQ(panel.lcd1, "KQ BOARD TEST?  ") << "a user glyph while a button is held";
  EXPECT_LT(Ddram[13], 8);

  Pressed(PanelButton::Store) = 0;
  Pressed(PanelButton::FilterCutoff) = 1;  // no lamp of its own
  board.RunSlices(3);
  panel = ReadPanel();
  EXPECT_EQ(panel.leds, Strings{});
  EXPECT_EQ(panel.lcd2, "SWITCH R1 B0    ");
  EXPECT_EQ(Reported(KQ_BT_SWITCHES_LOW), 0x00010000u);
  Pressed(PanelButton::FilterCutoff) = 0;

  // Every lamp follows its own button.
  Strings all;
  for (PanelButton button : LedButtons) Pressed(button) = 1;
  for (int b = 0; b < kPanelButtonCount; ++b)
    if (Pressed(PanelButton(b))) all.emplace_back(PanelButtonNames[b]);
  board.RunSlices(3);
  EXPECT_EQ(ReadPanel().leds, all);
  EXPECT_EQ(Reported(KQ_BT_LIGHTS), 0x3FFu);
  for (PanelButton button : LedButtons) Pressed(button) = 0;
  board.RunSlices(3);
  EXPECT_EQ(ReadPanel().leds, Strings{});
  EXPECT_EQ(ReadPanel().lcd1, "KQ BOARD TEST   ");
}

TEST_F(BoardTestFirmware, ProgramButtonsAndPcDigitKeysEnterTheProgramNumber) {
  kqrun::RunOptions options = Options(60);
  options.buttons.push_back({int(PanelButton::ProgramSelect4), 10, 12});
  options.keys.push_back({int(PcKey::Digit2), 20, 22});
  kqrun::RunResult result = Run(options);
  EXPECT_EQ(result.panel.digits, "4 2");
  EXPECT_EQ(result.panel.lcd2, "PROGRAM 42      ");
  EXPECT_EQ(Reported(KQ_BT_PROGRAM), 42u);
}

TEST_F(BoardTestFirmware, AMidiNoteIsHeardAtItsPitchUntilItsNoteOff) {
  kqrun::RunOptions options = Options(400);
  options.keepAudio = true;
  options.midi.push_back({50, {0x90, 0x3C, 0x7F}, ""});
  options.midi.push_back({250, {0x3C, 0x00}, ""});  // running status, velocity 0: off
  kqrun::RunResult result = Run(options);

  EXPECT_EQ(Rms(LeftChannel(result.audio, 0, FrameOfSlice(50))), 0.0) << "silent before the note";
  // The output plays about 40 ms behind the renderer.
  const std::vector<int16_t> note = LeftChannel(result.audio, FrameOfSlice(120), FrameOfSlice(250));
  EXPECT_GT(Rms(note), 4000.0);
  EXPECT_NEAR(Pitch(note), NoteHz(60), NoteHz(60) * 0.002);
  EXPECT_EQ(Rms(LeftChannel(result.audio, FrameOfSlice(320), FrameOfSlice(400))), 0.0)
      << "silent after the note-off";

  EXPECT_EQ(result.panel.lcd2, "NOTE 060 OFF    ");
  EXPECT_EQ(Reported(KQ_BT_NOTES), 1u);
  EXPECT_EQ(Reported(KQ_BT_LAST_NOTE), 0x3C7Fu);
  EXPECT_EQ(Reported(KQ_BT_UART_RECEIVED), 5u);
  EXPECT_EQ(Reported(KQ_BT_UART_ECHOED), 5u) << "every byte sent back";
  EXPECT_EQ(Reported(KQ_BT_SOUNDING), 0u);
}

// Balance 0 is the knob's L end: heard on the left only; 255 on the right only.
TEST_F(BoardTestFirmware, TheAnalogInputsSetVolumePanAndCutoff) {
  struct Row {
    uint8_t balance;
    float pan;  // the left share
  };
  for (const Row& row : {Row{0, 1.0f}, Row{128, float(0x7F7F & 0xFFF0) / 65520}, Row{255, 0.0f}}) {
    SCOPED_TRACE("balance " + std::to_string(row.balance));
    kqrun::RunOptions options = Options(200);
    options.keepAudio = true;
    options.adc = {{kAdcBalance, row.balance}, {kAdcDataEntry, 160}, {kAdcVolume, 64}};
    options.midi.push_back({40, {0x90, 0x45, 0x7F}, ""});
    kqrun::RunResult result = Run(options);
    for (int v = 0; v < 8; ++v) {
      EXPECT_EQ(PanPositions[v], row.pan);
      EXPECT_EQ(VcfCutoffs[v], float(0xA0A0 & 0xFFF0) / 65520);
    }
    EXPECT_EQ(LeftControls.Final, float(0x4040 & 0xFFF0) / 65520);

    // One sample on, the interleaved frames read as the right channel.
    const std::span<const int16_t> audio(result.audio);
    const size_t all = audio.size();
    if (row.pan == 0) {
      EXPECT_EQ(Rms(LeftChannel(audio, 0, all)), 0.0) << "left";
    }
    if (row.pan == 1) {
      EXPECT_EQ(Rms(LeftChannel(audio.subspan(1), 0, all)), 0.0) << "right";
    }
    const std::vector<int16_t> left = LeftChannel(audio, FrameOfSlice(100), FrameOfSlice(200));
    const std::vector<int16_t> right = LeftChannel(audio.subspan(1), FrameOfSlice(100), FrameOfSlice(200));
    if (row.pan > 0) {
      EXPECT_GT(Rms(left), 1000.0) << "left";
    }
    if (row.pan < 1) {
      EXPECT_GT(Rms(right), 1000.0) << "right";
    }
    EXPECT_NEAR(Pitch(row.pan > 0 ? left : right), NoteHz(69), NoteHz(69) * 0.002);
  }
}

TEST_F(BoardTestFirmware, KeyFifoEventsPlayNotesToo) {
  HeadlessBoard board(true);
  StartBoard(board, Rom());
  board.RunSlices(20);
  ASSERT_TRUE(KeyboardPushEvent(0xC8, 100));  // key 72 pressed
  board.RunSlices(150);
  EXPECT_EQ(ReadPanel().lcd2, "KEY  072 VEL 100");
  EXPECT_EQ(ReadPanel().lcd1, "KQ BOARD TEST  ?") << "the note glyph while a voice sounds";
  EXPECT_EQ(Reported(KQ_BT_LAST_FREQUENCY), 17584u);
  const std::vector<int16_t> note = LeftChannel(board.Audio(), FrameOfSlice(80), FrameOfSlice(170));
  EXPECT_NEAR(Pitch(note), NoteHz(72), NoteHz(72) * 0.002);

  ASSERT_TRUE(KeyboardPushEvent(0x48, 0));  // released
  board.RunSlices(100);
  EXPECT_EQ(ReadPanel().lcd2, "KEY  072 OFF    ");
  EXPECT_EQ(Reported(KQ_BT_KEY_EVENTS), 2u);
  EXPECT_EQ(KeyboardIrq, 0) << "the read of the empty FIFO withdrew the request";
  EXPECT_EQ(Rms(LeftChannel(board.Audio(), FrameOfSlice(240), FrameOfSlice(270))), 0.0);
}

TEST_F(BoardTestFirmware, EightVoicesPlayAtOnceAndANinthNoteTakesTheOldest) {
  HeadlessBoard board(false);
  StartBoard(board, Rom());
  board.RunSlices(20);
  std::vector<uint8_t> chord;
  for (uint8_t note = 60; note < 69; ++note) chord.insert(chord.end(), {0x90, note, 0x40});
  chord.insert(chord.end(), {0x80, 60, 0x00});  // the stolen note: nothing to end
  ASSERT_TRUE(UartQueueMidiIn(int32_t(chord.size()), chord.data()));
  board.RunSlices(30);
  EXPECT_EQ(Reported(KQ_BT_NOTES), 9u);
  EXPECT_EQ(Reported(KQ_BT_SOUNDING), 0xFFu);
  EXPECT_EQ(WaveChipA.Regs[0].Frequency, Reported(KQ_BT_LAST_FREQUENCY)) << "note 68 in voice 0";
  for (int v = 0; v < 8; ++v) {
    EXPECT_FLOAT_EQ(VcaLevels[v], 32768.0f / 65520) << "velocity 64, voice " << v;
    EXPECT_EQ(WaveChipA.Levels[v], 1.0f);
  }
  EXPECT_LT(WaveChipA.Regs[1].Frequency, WaveChipA.Regs[7].Frequency);
}

TEST_F(BoardTestFirmware, ASysexFileIsLoadedIntoPatchMemory) {
  std::vector<uint8_t> dump(300);
  for (size_t i = 0; i < dump.size(); ++i) dump[i] = uint8_t((i * 37 + 5) & 0x7F);
  const std::string text = "HELLO SYSEX";
  std::vector<uint8_t> file;
  Append(file, OurSysex(KQ_BT_SYSEX_DUMP, dump));
  Append(file, {0xF0, 0x41, 0x10, 0x42, 0x12, 0xF7});  // another maker's
  Append(file, OurSysex(KQ_BT_SYSEX_TEXT, std::vector<uint8_t>(text.begin(), text.end())));
  kqtest::WriteFile(dir.File("patch.syx"), file);

  kqrun::RunOptions options = Options(uint32_t(10 + file.size() / 4 + 20));
  options.midi.push_back({10, {}, dir.File("patch.syx")});
  kqrun::RunResult result = Run(options);
  EXPECT_EQ(result.panel.lcd2, "HELLO SYSEX     ");
  EXPECT_EQ(Reported(KQ_BT_UART_RECEIVED), file.size());
  EXPECT_EQ(Reported(KQ_BT_SYSEX), 2u);
  EXPECT_EQ(Reported(KQ_BT_DUMP_BYTES), 300u);
  EXPECT_EQ(Reported(KQ_BT_DUMP_SUM), std::accumulate(dump.begin(), dump.end(), 0u));
  EXPECT_EQ(PatchLong(KQ_BT_PATCH_DUMP_BYTES), 300u);
  EXPECT_TRUE(std::equal(dump.begin(), dump.end(), NvrImage + KQ_BT_PATCH_DUMP));
}

TEST_F(BoardTestFirmware, SysexSignsTheCartridgeAndTheFirmwareSeesIt) {
  kqrun::RunOptions options = Options(60);
  options.midi.push_back({5, OurSysex(KQ_BT_SYSEX_CARTRIDGE, {}), ""});
  kqrun::RunResult result = Run(options);
  EXPECT_TRUE(CartridgePresent);
  EXPECT_EQ(result.panel.lcd1, "KQ BOARD TEST C ");
  EXPECT_EQ(result.panel.lcd2, "CARTRIDGE SIGNED");
  EXPECT_TRUE(Reported(KQ_BT_CHECKS) & KQ_BT_CHECK_CARTRIDGE);
}

TEST_F(BoardTestFirmware, PatchMemoryKeepsTheBootsAndTheDumpAcrossRuns) {
  kqtest::TempDir nvr;
  kqrun::RunOptions options = Options(100);
  options.nvrDirectory = nvr.Path();
  options.midi.push_back({5, OurSysex(KQ_BT_SYSEX_DUMP, {0x11, 0x22, 0x33}), ""});
  EXPECT_EQ(Run(options).panel.lcd2, "DUMP 00003      ");
  EXPECT_EQ(kqtest::ReadFile(nvr.File(kNvrFileName)).size(), kNvrSize);

  options.midi.clear();
  kqrun::RunResult second = Run(options);
  EXPECT_EQ(second.panel.lcd2, "BOOT 00002      ");
  EXPECT_EQ(second.panel.digits, "0 2");
  EXPECT_TRUE(Reported(KQ_BT_CHECKS) & KQ_BT_CHECK_PATCH_VALID);
  EXPECT_EQ(PatchLong(KQ_BT_PATCH_DUMP_BYTES), 3u);
  EXPECT_EQ(NvrImage[KQ_BT_PATCH_DUMP + 2], 0x33);
  EXPECT_EQ(PatchLong(KQ_BT_PATCH_BOOTS), 2u);

  // Without a directory a run starts from a blank patch memory and keeps nothing.
  const std::vector<uint8_t> kept = kqtest::ReadFile(nvr.File(kNvrFileName));
  EXPECT_EQ(Run(Options(100)).panel.lcd2, "BOOT 00001      ");
  EXPECT_EQ(kqtest::ReadFile(nvr.File(kNvrFileName)), kept);
}

}  // namespace
