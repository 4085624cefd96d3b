#include "app/messages.hpp"

#include <array>
#include <cstddef>

namespace led2vqn {
namespace {

struct TextPair {
  std::string english;
  std::string chinese;
};

const std::array<TextPair, 17>& catalogue() {
  static const std::array<TextPair, 17> texts = {{
      {"The number of files is over 16,error！！", "文件数量超过16个,打开文件错误！！"},
      {"This file is already open.", "此文件已经添加！！"},
      {"Open File error！！", "打开文件错误！！"},
      {"File type error!!", "文件类型错误！！"},
      {"Controller type error!!", "控制器类型错误！！"},
      {"IC type error，not DMX512 IC!!", "芯片类型错误，非DMX512芯片 ！！"},
      {"Frame length is 0: the settings file Gcode.sdc is missing or unusable!!",
       "帧长度为0：设置文件Gcode.sdc缺失或无法使用！！"},
      {"The frame is too large (more than 350000 bytes)!!", "帧太大（超过350000字节）！！"},
      {"Data conversion complete!", "数据转换完成！"},
      {"The number of Frames is error，Output failure！！", "模式帧数错误，输出失败！！"},
      {"The number of files is over 2,error！！!", "文件数量超过2个，输出失败！"},
      {"The number of Frame is error!!", "帧数错误！！"},
      {"Mode Save successful!", "参数保存成功！"},
      {"This card type keeps no saved modes!!", "此卡类型不保存模式参数！！"},
      {"The mode count of this file is not 1 to 80!!", "此文件的模式数量不在1到80之间！！"},
      {"The mode table of this file lies outside its header!!", "此文件的模式表超出文件头！！"},
      {"Conversion cancelled! No Readme.txt was written.", "转换已取消！未写入Readme.txt。"},
  }};
  return texts;
}

}  // namespace

const std::string& messageText(Msg msg, int32_t languageFlag) {
  const TextPair& pair = catalogue()[static_cast<std::size_t>(msg)];
  return languageFlag == kEnglish ? pair.english : pair.chinese;
}

std::string portsWithoutLayoutText(const std::string& programPath, int32_t languageFlag) {
  if (languageFlag == kEnglish) {
    return programPath + ": this card takes 1, 2, 4 or 8 ports (\"2 ports\" converts two of them)!!";
  }
  return programPath + "：此卡只接受1、2、4或8个端口（“2路主控”转换其中两个）！！";
}

Msg modeNoticeMessage(ModeNotice notice) {
  switch (notice) {
    case ModeNotice::kOpenFile: return Msg::kOpenFile;
    case ModeNotice::kFileType: return Msg::kFileType;
    case ModeNotice::kModeRange: return Msg::kModeRange;
    case ModeNotice::kModeSaved: return Msg::kModeSaved;
    case ModeNotice::kNoSavedModes: return Msg::kNoSavedModes;
    case ModeNotice::kModeCountRange: return Msg::kModeCountRange;
    case ModeNotice::kModeBlockOutside: return Msg::kModeBlockOutside;
    case ModeNotice::kModeFrames: break;
  }
  return Msg::kModeFramesOutput;
}

Msg readerRefusalMessage(ReaderRefusal refusal) {
  switch (refusal) {
    case ReaderRefusal::kOpenFile: return Msg::kOpenFile;
    case ReaderRefusal::kFileType: return Msg::kFileType;
    case ReaderRefusal::kControllerType: return Msg::kControllerType;
    case ReaderRefusal::kChipType: return Msg::kChipType;
    case ReaderRefusal::kNoFrameLength: return Msg::kNoFrameLength;
    case ReaderRefusal::kFrameTooLarge: break;
  }
  return Msg::kFrameTooLarge;
}

}  // namespace led2vqn
