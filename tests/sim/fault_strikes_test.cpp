// Faults aimed at one output report: power lost half-way through an erase or
// a program report, the mode the chip powers up in, and replies lost.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "sim/checksum.h"
#include "sim/keyboard.h"
#include "sim/state_file.h"
#include "tests/support/temp_path.h"

namespace vexaro::sim {
namespace {

constexpr std::uint32_t kPage = 1024;

// A keyed loader command report, as the engine frames it.
std::array<std::uint8_t, 65> Command(std::uint8_t command, std::uint8_t sub, std::uint32_t a, std::uint32_t b,
                                     const std::vector<std::uint8_t>& data = {}) {
  std::array<std::uint8_t, 65> r{};
  r[1] = command;
  r[2] = sub;
  for (int i = 0; i < 4; ++i) {
    r[static_cast<std::size_t>(5 + i)] = static_cast<std::uint8_t>(a >> (8 * i));
    r[static_cast<std::size_t>(9 + i)] = static_cast<std::uint8_t>(b >> (8 * i));
  }
  std::copy(data.begin(), data.end(), r.begin() + 13);
  const std::vector<std::uint8_t> key(64, 0);
  const std::uint16_t crc = Crc16(Crc16(0, r.data() + 1, 64), key.data(), key.size());
  r[3] = static_cast<std::uint8_t>(crc & 0xFF);
  r[4] = static_cast<std::uint8_t>(crc >> 8);
  return r;
}

class FaultStrikesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hid::SelectBackend(hid::BackendKind::kSimulated));
    simbus::TheBus().Reset();
    state_ = vexaro::test_support::ProcessTempPath("vexaro-fault-strikes", ".state");
    std::filesystem::remove(state_);
  }
  void TearDown() override {
    simbus::TheBus().Reset();
    std::filesystem::remove(state_);
  }
  // A keyboard in its loader with an application and a version record.
  std::shared_ptr<SimKeyboard> Loader(const std::string& faults) {
    KeyboardConfig config;
    config.timing = Timing::Zero();
    config.stateFile = state_;
    config.initialMode = Mode::kLoader;
    std::string error;
    EXPECT_TRUE(ParseFaults(faults, config.faults, error)) << error;
    auto keyboard = SimKeyboard::Create(config, error);
    EXPECT_NE(keyboard, nullptr) << error;
    if (!keyboard) return nullptr;
    EXPECT_TRUE(keyboard->WriteFlash(0x0C00, std::vector<std::uint8_t>(2 * kPage, 0x00)));
    EXPECT_TRUE(keyboard->WriteFlash(0x7C00, {3, 0, 0, 0, '1', '.', '2'}));
    EXPECT_TRUE(keyboard->PlugIn());
    return keyboard;
  }
  bool Send(SimKeyboard& keyboard, const std::array<std::uint8_t, 65>& report) {
    return keyboard.OnOutputReport(keyboard.Port(), keyboard.CurrentMode() == Mode::kLoader ? 0 : 1, report.data(),
                                   report.size());
  }
  std::string state_;
};

TEST_F(FaultStrikesTest, PowerLossLeavesAnErasedPageHalfErasedAndTheStateFileWithIt) {
  auto keyboard = Loader("power-loss-at=1");
  ASSERT_EQ(keyboard->CurrentMode(), Mode::kLoader);
  Send(*keyboard, Command(0x00, 0x08, 0x0C00, 0x0C00 + kPage - 1));
  EXPECT_FALSE(keyboard->IsPlugged());
  EXPECT_EQ(keyboard->ReadFlash(0x0C00, kPage / 2), std::vector<std::uint8_t>(kPage / 2, 0xFF));
  EXPECT_EQ(keyboard->ReadFlash(0x0C00 + kPage / 2, kPage / 2), std::vector<std::uint8_t>(kPage / 2, 0x00));
  // The application's first word is erased: the chip powers up in its loader.
  EXPECT_EQ(keyboard->PowerOnMode(), Mode::kLoader);
  EXPECT_FALSE(keyboard->PlugIn());  // gone until the power comes back
  keyboard.reset();
  SavedState saved;
  bool exists = false;
  std::string error;
  ASSERT_TRUE(LoadStateFile(state_, 32768, saved, exists, error)) << error;
  EXPECT_TRUE(saved.inLoader);
  EXPECT_EQ(saved.flash[0x0C00], 0xFF);
  EXPECT_EQ(saved.flash[0x0C00 + kPage / 2], 0x00);
}

TEST_F(FaultStrikesTest, PowerLossWritesTheFirstHalfOfAProgramReport) {
  auto keyboard = Loader("power-loss-at=2");
  Send(*keyboard, Command(0x01, 0x01, 0x1400, 0x1407, {1, 2, 3, 4, 5, 6, 7, 8}));
  Send(*keyboard, Command(0x01, 0x01, 0x1408, 0x140F, {1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(keyboard->ReadFlash(0x1400, 16),
            (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 0xFF, 0xFF, 0xFF, 0xFF}));
  // Application and version record untouched: it powers up into them.
  EXPECT_EQ(keyboard->PowerOnMode(), Mode::kApplication);
}

TEST_F(FaultStrikesTest, LostAndDamagedRepliesOfOneReport) {
  auto keyboard = Loader("drop-replies-at=1,corrupt-replies-at=2");
  std::array<std::uint8_t, 65> status{};
  const auto blank = Command(0x01, 0x03, 0x2000, 0x2003);
  Send(*keyboard, blank);
  EXPECT_FALSE(keyboard->OnGetInputReport(keyboard->Port(), 0, status.data(), status.size()));
  Send(*keyboard, blank);
  ASSERT_TRUE(keyboard->OnGetInputReport(keyboard->Port(), 0, status.data(), status.size()));
  EXPECT_EQ(status[1], '?');
  Send(*keyboard, blank);
  ASSERT_TRUE(keyboard->OnGetInputReport(keyboard->Port(), 0, status.data(), status.size()));
  EXPECT_EQ(status[1], 'O');
}

TEST_F(FaultStrikesTest, RestartThatNeverComesBackOrComesBackInTheOtherMode) {
  auto gone = Loader("no-reenumeration-at=1");
  Send(*gone, Command(0x04, 0x01, 0, 0));
  EXPECT_FALSE(gone->IsPlugged());
  gone->Unplug();
  gone.reset();
  simbus::TheBus().Reset();
  std::filesystem::remove(state_);
  auto wrong = Loader("wrong-mode-at=1");
  Send(*wrong, Command(0x04, 0x01, 0, 0));  // restart as the loader...
  EXPECT_TRUE(wrong->IsPlugged());
  EXPECT_EQ(wrong->CurrentMode(), Mode::kApplication);  // ...comes back running the application
}

TEST_F(FaultStrikesTest, PowerOnNeedsTheVersionRecordsLengthWord) {
  auto keyboard = Loader("");
  EXPECT_EQ(keyboard->PowerOnMode(), Mode::kApplication);
  keyboard->Unplug();
  ASSERT_TRUE(keyboard->WriteFlash(0x7C00, {0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(keyboard->PowerOnMode(), Mode::kLoader);
  ASSERT_TRUE(keyboard->WriteFlash(0x7C00, {0x03, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(keyboard->PowerOnMode(), Mode::kApplication);
}

}  // namespace
}  // namespace vexaro::sim
