// The simulated keyboard on its own: flash semantics, state file, faults,
// trace, restarts under the USB timing model.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "isp/engine.h"
#include "isp/isp_api.h"
#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"
#include "sim/checksum.h"
#include "sim/flash.h"
#include "sim/keyboard.h"
#include "sim/start.h"
#include "tests/support/temp_path.h"

namespace vexaro::sim {
namespace {

class SimKeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hid::SelectBackend(hid::BackendKind::kSimulated));
    simbus::TheBus().Reset();
    isp::ResetEngine();
    dir_ = test_support::ProcessTempPath(
        "vexaro-sim-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()), "");
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    isp::ResetEngine();
    simbus::TheBus().Reset();
    sys::SetClockScale(1.0);
    std::filesystem::remove_all(dir_);
  }
  std::shared_ptr<SimKeyboard> Plugged(KeyboardConfig config) {
    std::string error;
    auto keyboard = SimKeyboard::Create(std::move(config), error);
    EXPECT_NE(keyboard, nullptr) << error;
    if (keyboard) {
      EXPECT_TRUE(keyboard->PlugIn());
    }
    return keyboard;
  }
  static KeyboardConfig Zero() {
    KeyboardConfig c;
    c.timing = Timing::Zero();
    return c;
  }
  std::string File(const char* name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

TEST(Flash, EraseSetsWholePagesAndProgramOnlyClearsBits) {
  Flash flash(4096, 1024);
  std::uint8_t data[4] = {0x0F, 0xF0, 0x00, 0xFF};
  EXPECT_TRUE(flash.Program(1020, data, 4));
  EXPECT_FALSE(flash.IsBlank(1020, 1023));
  std::uint8_t more[1] = {0xFF};
  EXPECT_FALSE(flash.Program(1020, more, 1));  // 0x0F stays 0x0F
  EXPECT_EQ(flash.Data()[1020], 0x0F);
  EXPECT_EQ(flash.ErasePages(1023, 1024), 2u);  // pages 0 and 1
  EXPECT_TRUE(flash.IsBlank(0, 2047));
  EXPECT_FALSE(flash.Contains(4000, 4096));
}

TEST_F(SimKeyboardTest, LoaderRejectsRangesOutsideTheUserArea) {
  auto keyboard = Plugged(Zero());
  EXPECT_EQ(ISP_ErasePage(0x0000, 0x03FF), ISP_FAILED);  // the loader's own pages
  EXPECT_EQ(ISP_ErasePage(0x7C00, 0x8000), ISP_FAILED);  // past the end of the flash
  EXPECT_EQ(ISP_ErasePage(0x7C00, 0x7FFF), ISP_OK);
  std::vector<std::uint8_t> data(8, 0);
  EXPECT_EQ(ISP_WriteProgramB(0x0800, 0x0807, 1, data.data()), ISP_FAILED);
}

TEST_F(SimKeyboardTest, StateFileCarriesFlashAndModeToTheNextRun) {
  KeyboardConfig config = Zero();
  config.stateFile = File("keyboard.state");
  {
    auto keyboard = Plugged(config);
    ASSERT_EQ(keyboard->CurrentMode(), Mode::kLoader);  // blank flash: only the loader runs
    std::vector<std::uint8_t> image(104, 0x5A);
    ASSERT_EQ(ISP_WriteProgramB(0x0C00, 0x0C00 + 103, 1, image.data()), ISP_OK);
    ASSERT_EQ(ISP_Execute(), ISP_OK);
    EXPECT_EQ(keyboard->CurrentMode(), Mode::kApplication);
    keyboard->Unplug();
  }
  auto again = Plugged(config);
  EXPECT_EQ(again->CurrentMode(), Mode::kApplication);
  EXPECT_EQ(again->ReadFlash(0x0C00, 1).at(0), 0x5A);
}

TEST_F(SimKeyboardTest, UnusableStateFileIsRefusedWithItsNameAndField) {
  KeyboardConfig config = Zero();
  config.stateFile = File("bad.state");
  // The state file is binary (LF line ends, then raw flash bytes): written in
  // binary mode, or Windows would turn each "\n" into "\r\n".
  auto write = [&](const std::string& bytes) {
    std::ofstream(config.stateFile, std::ios::binary) << bytes;
  };
  write("vexaro-sim-keyboard 1\nmode ap\nflash-size 1024\n");
  std::string error;
  EXPECT_EQ(SimKeyboard::Create(config, error), nullptr);
  EXPECT_NE(error.find("bad.state"), std::string::npos);
  EXPECT_NE(error.find("flash-size"), std::string::npos);
  write("something else\n");
  EXPECT_EQ(SimKeyboard::Create(config, error), nullptr);
  write("vexaro-sim-keyboard 1\nmode ap\nflash-size 32768\nshort");
  EXPECT_EQ(SimKeyboard::Create(config, error), nullptr);
  EXPECT_NE(error.find("shorter"), std::string::npos);
  // What a text-mode write on Windows makes of a good file: refused, not read
  // with flash bytes that the CR LF translation has shifted.
  // Appended to a named string: GCC 12 -O2 takes the literal added to a
  // temporary string for a copy past the temporary's inline buffer.
  std::string textMode = "vexaro-sim-keyboard 1\r\nmode ap\r\nflash-size 32768\r\n";
  textMode.append(32768, '\xFF');
  write(textMode);
  EXPECT_EQ(SimKeyboard::Create(config, error), nullptr);
  EXPECT_NE(error.find("bad.state"), std::string::npos);
  EXPECT_NE(error.find("CR LF"), std::string::npos) << error;
}

TEST(Faults, ParsedFromTextWithErrorsNamingTheItem) {
  Faults faults;
  std::string error;
  ASSERT_TRUE(ParseFaults("fail-write=3,drop-status=5,corrupt-status=2,no-probe-answer,"
                          "verify-fail-at=0x1000,vanish-after=100,stay-in-loader,slow=4",
                          faults, error));
  EXPECT_EQ(faults.failWrite, 3u);
  EXPECT_EQ(faults.dropStatus, 5u);
  EXPECT_EQ(faults.corruptStatus, 2u);
  EXPECT_TRUE(faults.neverAnswerProbe);
  EXPECT_EQ(faults.verifyFailAt, 0x1000u);
  EXPECT_EQ(faults.vanishAfter, 100u);
  EXPECT_TRUE(faults.stayInLoader);
  EXPECT_EQ(faults.slowFactor, 4u);
  Faults untouched;
  EXPECT_FALSE(ParseFaults("fail-write=2,explode", untouched, error));
  EXPECT_NE(error.find("explode"), std::string::npos);
  EXPECT_EQ(untouched.failWrite, 0u);  // nothing half-applied
  EXPECT_FALSE(ParseFaults("slow=0", untouched, error));
  EXPECT_FALSE(ParseFaults("fail-write=x", untouched, error));
}

TEST_F(SimKeyboardTest, InjectedFaultsMakeTheEngineFail) {
  sys::SetClockScale(1000);
  struct Case { const char* faults; int expected; };
  for (const Case& c : {Case{"fail-write=2", ISP_FAILED}, Case{"drop-status=2", ISP_FAILED},
                        Case{"corrupt-status=2", ISP_FAILED}, Case{"corrupt-status=1", ISP_FAILED},
                        Case{"no-probe-answer", ISP_FAILED}, Case{"slow=3", ISP_OK}}) {
    simbus::TheBus().Reset();
    isp::ResetEngine();
    KeyboardConfig config = Zero();
    std::string error;
    ASSERT_TRUE(ParseFaults(c.faults, config.faults, error));
    auto keyboard = Plugged(config);
    EXPECT_EQ(ISP_EraseMass(), c.expected) << c.faults;
  }
}

TEST_F(SimKeyboardTest, VerifyFailsAtTheChosenAddress) {
  KeyboardConfig config = Zero();
  config.faults.verifyFailAt = 0x0C40;
  auto keyboard = Plugged(config);
  std::vector<std::uint8_t> image(52 * 3, 0x11);
  ASSERT_EQ(ISP_WriteProgramB(0x0C00, 0x0C00 + 155, 1, image.data()), ISP_OK);
  EXPECT_EQ(ISP_WriteProgramB(0x0C00, 0x0C00 + 155, 0, image.data()), ISP_FAILED);
  EXPECT_EQ(ISP_WriteProgramB(0x0C80, 0x0C80 + 20, 0, image.data()), ISP_OK);
}

TEST_F(SimKeyboardTest, VanishingKeyboardLeavesTheBusForGood) {
  sys::SetClockScale(1000);
  KeyboardConfig config = Zero();
  config.faults.vanishAfter = 3;
  auto keyboard = Plugged(config);
  EXPECT_EQ(ISP_EraseMass(), ISP_OK);  // writes 1 and 2
  EXPECT_EQ(ISP_EraseMass(), ISP_FAILED);
  EXPECT_FALSE(keyboard->IsPlugged());
  EXPECT_TRUE(hid::EnumerateInterfaces().empty());
  EXPECT_FALSE(keyboard->PlugIn());
}

TEST_F(SimKeyboardTest, StayInLoaderFaultKeepsTheLoaderAfterExecute) {
  KeyboardConfig config = Zero();
  config.faults.stayInLoader = true;
  auto keyboard = Plugged(config);
  ASSERT_TRUE(keyboard->WriteFlash(0x0C00, {1, 2, 3, 4}));
  EXPECT_EQ(ISP_Execute(), ISP_OK);
  EXPECT_EQ(keyboard->CurrentMode(), Mode::kLoader);
}

TEST_F(SimKeyboardTest, TraceHasOneLinePerReportInTheDocumentedFormat) {
  KeyboardConfig config = Zero();
  config.traceFile = File("keyboard.trace");
  {
    auto keyboard = Plugged(config);
    char text[16];
    std::int32_t length = 0;
    ASSERT_EQ(ISP_GetInformation(0, text, &length), ISP_OK);
    keyboard->Unplug();
  }
  std::ifstream in(config.traceFile);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "# vexaro simulated keyboard trace 1");
  std::map<std::string, int> kinds;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string stamp, kind, collection;
    fields >> stamp >> kind;
    ASSERT_FALSE(stamp.empty());
    ASSERT_EQ(stamp.find_first_not_of("0123456789"), std::string::npos) << line;
    ++kinds[kind];
    if (kind == "OUT" || kind == "GET" || kind == "IN") {
      fields >> collection;
      EXPECT_EQ(collection, "c0");
      int bytes = 0;
      for (std::string hex; fields >> hex; ++bytes) ASSERT_EQ(hex.size(), 2u) << line;
      EXPECT_EQ(bytes, 65) << line;
    }
  }
  EXPECT_EQ(kinds["OUT"], 2);  // probe, information command
  EXPECT_EQ(kinds["GET"], 2);  // probe "F", closing "O"
  EXPECT_EQ(kinds["IN"], 1);   // the information words
  EXPECT_EQ(kinds["EVENT"], 2);  // plug, unplug
  EXPECT_GE(kinds["NAK"], 1);    // the flush before the probe
}

TEST_F(SimKeyboardTest, RestartTakesTheReEnumerationDelayOfTheUsbTimingModel) {
  sys::SetClockScale(10);
  KeyboardConfig config;  // the USB timing model
  auto keyboard = Plugged(config);
  ASSERT_TRUE(keyboard->WriteFlash(0x0C00, {1, 2, 3, 4}));
  const std::uint64_t start = sys::NowMs();
  ASSERT_EQ(ISP_Execute(), ISP_OK);
  EXPECT_FALSE(keyboard->IsPlugged());
  while (!keyboard->IsPlugged() && sys::NowMs() - start < 10000) sys::SleepMs(10);
  const std::uint64_t elapsed = sys::NowMs() - start;
  EXPECT_TRUE(keyboard->IsPlugged());
  EXPECT_GE(elapsed, config.timing.reEnumerationMs);
  EXPECT_EQ(keyboard->CurrentMode(), Mode::kApplication);
}

TEST_F(SimKeyboardTest, ProgramUnderUsbTimingTakesAFramePerReport) {
  sys::SetClockScale(20);
  KeyboardConfig config;
  auto keyboard = Plugged(config);
  std::vector<std::uint8_t> image(52 * 120, 0x33);
  const std::uint64_t start = sys::NowMs();
  ASSERT_EQ(ISP_WriteProgramB(0x0C00, 0x0C00 + static_cast<std::uint32_t>(image.size()) - 1, 1, image.data()),
            ISP_OK);
  // At least one millisecond frame per report, on both systems: the keyboard
  // spends its frames on the program's clock whatever the sleep granularity.
  // Only a lower bound, which load cannot break.
  EXPECT_GE(sys::NowMs() - start, 120u);
}

TEST(KeyboardEnvironment, SettingsComeFromTheEnvironmentWithNamedErrors) {
  KeyboardConfig config;
  std::string error;
#ifdef _WIN32
  _putenv_s("VEXARO_SIM_TIMING", "warp");
#else
  setenv("VEXARO_SIM_TIMING", "warp", 1);
#endif
  EXPECT_FALSE(ApplyEnvironment(config, error));
  EXPECT_NE(error.find("VEXARO_SIM_TIMING"), std::string::npos);
#ifdef _WIN32
  _putenv_s("VEXARO_SIM_TIMING", "zero");
  _putenv_s("VEXARO_SIM_LOADER", "isp");
#else
  setenv("VEXARO_SIM_TIMING", "zero", 1);
  setenv("VEXARO_SIM_LOADER", "isp", 1);
#endif
  EXPECT_TRUE(ApplyEnvironment(config, error)) << error;
  EXPECT_EQ(config.timing.reEnumerationMs, 0u);
  EXPECT_EQ(config.loaderKind, LoaderKind::kIsp);
}

}  // namespace
}  // namespace vexaro::sim

namespace vexaro::sim {
namespace {

TEST_F(SimKeyboardTest, FrontEndStartPutsTheFirmwareOnAFreshKeyboardOnly) {
  KeyboardConfig config = Zero();
  config.stateFile = File("front.state");
  std::string error;
  {
    auto keyboard = StartSimulatedKeyboard(config, std::vector<std::uint8_t>(64, 0x21), "V1.00", error);
    ASSERT_NE(keyboard, nullptr) << error;
    EXPECT_EQ(keyboard->CurrentMode(), Mode::kApplication);
    EXPECT_EQ(keyboard->ReadFlash(config.versionRecordAddress, 5).at(4), 'V');
    ASSERT_TRUE(keyboard->WriteFlash(0x0C00, {0x20}));  // as if an update had changed it
    keyboard->Unplug();
  }
  auto again = StartSimulatedKeyboard(config, std::vector<std::uint8_t>(64, 0x21), "V1.00", error);
  ASSERT_NE(again, nullptr) << error;
  EXPECT_EQ(again->ReadFlash(0x0C00, 1).at(0), 0x20);  // the state file wins
}

// The keyboard's own checksum, with the known check values of CRC-16/XMODEM
// and a continuation across a split.
TEST(SimChecksumTest, KnownCheckValuesAndContinuation) {
  const auto* digits = reinterpret_cast<const std::uint8_t*>("123456789");
  EXPECT_EQ(Crc16(0, digits, 9), 0x31C3);
  EXPECT_EQ(Crc16(0, reinterpret_cast<const std::uint8_t*>("abc"), 3), 0x9DD6);
  EXPECT_EQ(Crc16(Crc16(0, digits, 3), digits + 3, 6), 0x31C3);
  const std::uint8_t high[] = {0xFF, 0x80, 0x01};
  EXPECT_EQ(Crc16(0xFFFF, high, 3), 0x0846);
}

}  // namespace
}  // namespace vexaro::sim
