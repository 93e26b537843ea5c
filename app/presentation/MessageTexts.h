#pragma once

#include <optional>

#include "report/DownloadOutcome.h"
#include "text/Text.h"

namespace melvora {

// The texts of the window's message boxes, in GBK.

// The message box text for an activation that ended so; none for Done and Cancelled.
//   InternetError        "Internet连接错误!"
//   CannotOpenUrl        "不能打开该URL!"
//   CannotOpenLocalFile  "不能打开本地的文件!"
//   ReadError            "读文件出错!"
//   WriteError           "写文件出错!"
std::optional<Text> OutcomeMessage(DownloadOutcome outcome);

Text InformationCaption();     // "信息：", the caption of every box that gives none of its own
Text ResumeQuestion();         // "文件已存在，是否断点续传？"
Text ResumeQuestionCaption();  // "提示："
Text EmptySearchMessage();     // "请输入要搜索的内容"
Text EmptySearchCaption();     // "提示"

}  // namespace melvora
