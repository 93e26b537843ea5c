#include "http/FetchFailure.h"

namespace melvora {

using namespace literals;

Text FailureMessage(FetchFailure failure) {
    switch (failure) {
        case FetchFailure::ServiceUnavailable:
            return "700 当前系统不支持WinHttp服务!"_gbk;
        case FetchFailure::BadUrl:
            return "701 解析URL地址失败!"_gbk;
        case FetchFailure::SessionSetup:
            return "702 创建WinHttp会话失败!"_gbk;
        case FetchFailure::ConnectionSetup:
            return "703 创建WinHttp连接失败!"_gbk;
        case FetchFailure::RequestSetup:
            return "704 创建WinHttp请求失败!"_gbk;
        case FetchFailure::TimeoutSetup:
            return "705 设置超时时间失败!"_gbk;
        case FetchFailure::CredentialSetup:
            return "707 设置代理凭证失败!"_gbk;
        case FetchFailure::CookieSetup:
            return "708 禁止自动设置Cookies失败!"_gbk;
        case FetchFailure::RedirectSetup:
            return "709 重定向设置失败!"_gbk;
        case FetchFailure::HeaderBlockRefused:
            return "710 设置协议头失败!"_gbk;
        case FetchFailure::SendFailed:
            return "711 发送请求失败!"_gbk;
        case FetchFailure::NoReply:
            return "712 服务器未响应!"_gbk;
        case FetchFailure::ReadFailed:
            return "713 读取数据失败!"_gbk;
    }
    return Text();
}

}  // namespace melvora
