#include "app/presentation/MessageTexts.h"

namespace melvora {

using namespace literals;

std::optional<Text> OutcomeMessage(DownloadOutcome outcome) {
    switch (outcome) {
        case DownloadOutcome::InternetError:
            return "Internet连接错误!"_gbk;
        case DownloadOutcome::CannotOpenUrl:
            return "不能打开该URL!"_gbk;
        case DownloadOutcome::CannotOpenLocalFile:
            return "不能打开本地的文件!"_gbk;
        case DownloadOutcome::ReadError:
            return "读文件出错!"_gbk;
        case DownloadOutcome::WriteError:
            return "写文件出错!"_gbk;
        case DownloadOutcome::Done:
        case DownloadOutcome::Cancelled:
            return std::nullopt;
    }
    return std::nullopt;
}

Text InformationCaption() {
    return "信息："_gbk;
}
Text ResumeQuestion() {
    return "文件已存在，是否断点续传？"_gbk;
}
Text ResumeQuestionCaption() {
    return "提示："_gbk;
}
Text EmptySearchMessage() {
    return "请输入要搜索的内容"_gbk;
}
Text EmptySearchCaption() {
    return "提示"_gbk;
}

}  // namespace melvora
