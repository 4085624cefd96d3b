#include "project/readme.hpp"

#include <filesystem>

#include <gtest/gtest.h>

#include "app/model_fixture.hpp"

namespace led2vqn {
namespace {

std::string text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Row 1: c.led (4 ports, its box checked: 2 written). Row 2: b.led (1 port)
// in a grid row whose flag an earlier 4-port file left at 10: 1 written.
class ReadmeTest : public testing::ModelTest {
 protected:
  void fillTable() {
    add(program("a.led", 4, 3));
    model.twoPortsBoxClicked(1);
    add(program("c.led", 4, 2));
    model.twoPortsBoxClicked(2);
    model.rowSelected(1);
    model.deleteRowClicked();
    add(program("b.led", 1, 5));
  }
};

TEST_F(ReadmeTest, EnglishLinesExactlyReplacingAnEarlierReadme) {
  start();
  fillTable();
  model.setFieldText(ControlId::kSpeedField, "33");
  dir.write("Readme.txt", std::vector<uint8_t>(5000, 'x'));
  std::filesystem::create_hard_link(dir.file("Readme.txt"), dir.file("old.txt"));
  ASSERT_FALSE(model.writeReadme(dir.path()));
  EXPECT_EQ(text(support::readBytes(dir.file("Readme.txt"))),
            "2024-05-06 07:08:09   Other color    Speed:33fps  Bright:100\r\n"
            " File 1 " + dir.file("c.led") + "  Frames:2  Ports:4 to 2\r\n"
            " File 2 " + dir.file("b.led") + "  Frames:5  Ports:1 to 1\r\n");
  EXPECT_EQ(support::readBytes(dir.file("old.txt")).size(), 5000u);  // a new file, not the old one rewritten
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"Gcode.sdc", "Readme.txt", "a.led", "b.led", "c.led", "old.txt"}));
}

TEST_F(ReadmeTest, ChineseLinesInGbk) {
  start(0x31);
  fillTable();
  ASSERT_FALSE(model.writeReadme(dir.path()));
  const std::string frames = " \xD6\xA1 \xCA\xFD ";           // " 帧 数 "
  const std::string ports = " \xB6\xCB\xBF\xDA\xCA\xFD ";      // " 端口数 "
  EXPECT_EQ(text(support::readBytes(dir.file("Readme.txt"))),
            "2024-05-06 07:08:09   \xC6\xE4\xCB\xFC\xD1\xD5\xC9\xAB   "  // 其它颜色
            "\xCB\xD9\xB6\xC8:25\xD6\xA1/\xC3\xEB  \xC1\xC1\xB6\xC8:100\r\n"  // 速度:25帧/秒  亮度:100
            " \xCE\xC4\xBC\xFE 1 " + dir.file("c.led") + " " + frames + ":2 " + ports + ":4 to 2\r\n" +
            " \xCE\xC4\xBC\xFE 2 " + dir.file("b.led") + " " + frames + ":5 " + ports + ":1 to 1\r\n");
  EXPECT_EQ(toGbk("a\xF0\x9F\x98\x80" "b\xD6\xD0x"), "a?b??x");  // no GBK character, no UTF-8
}

}  // namespace
}  // namespace led2vqn
