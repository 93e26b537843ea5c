#include "download/DownloadMessages.h"

namespace melvora::download {

using namespace literals;

Text InternetErrorMessage() {
    return "Internet连接错误!"_gbk;
}
Text CannotOpenUrlMessage() {
    return "不能打开该URL!"_gbk;
}
Text CannotOpenLocalFileMessage() {
    return "不能打开本地的文件!"_gbk;
}
Text ReadErrorMessage() {
    return "读文件出错!"_gbk;
}
Text WriteErrorMessage() {
    return "写文件出错!"_gbk;
}
Text ResumeQuestion() {
    return "文件已存在，是否断点续传？"_gbk;
}
Text ResumeQuestionCaption() {
    return "提示："_gbk;
}

Text DownloadFinishedText(const Text& trackFileName) {
    return Text("[") + trackFileName + "]  下载完毕"_gbk;
}

Text NowPlayingText(const Text& trackFileName) {
    return "正在播放：["_gbk + trackFileName + "]";
}

}  // namespace melvora::download
