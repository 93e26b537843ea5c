#pragma once

#include "text/Text.h"

namespace melvora::download {

// The texts the user sees from the downloader and the activation, in GBK.
Text InternetErrorMessage();        // "Internet连接错误!"
Text CannotOpenUrlMessage();        // "不能打开该URL!"
Text CannotOpenLocalFileMessage();  // "不能打开本地的文件!"
Text ReadErrorMessage();            // "读文件出错!"
Text WriteErrorMessage();           // "写文件出错!"
Text ResumeQuestion();              // "文件已存在，是否断点续传？"
Text ResumeQuestionCaption();       // "提示："
// "[" + track file name + "]  下载完毕"
Text DownloadFinishedText(const Text& trackFileName);
// "正在播放：[" + track file name + "]"
Text NowPlayingText(const Text& trackFileName);

}  // namespace melvora::download
