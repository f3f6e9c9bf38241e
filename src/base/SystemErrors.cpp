#include "base/FileAccess.h"

#include <cerrno>

namespace tw
{

namespace
{

// "文件写入失败：PATH（REASON）" and its kin.
std::string fileFaultText(std::string_view what, std::string_view path, std::string_view reason)
{
    std::string text(what);
    text.append(path);
    text += "（";
    text.append(reason);
    text += "）";
    return text;
}

} // namespace

std::string systemErrorText(int errorNumber)
{
    switch (errorNumber) {
    case EACCES:
    case EPERM:
        return "没有访问权限";
    case EROFS:
        return "文件系统是只读的";
    case ENOSPC:
        return "磁盘空间已满";
    case EDQUOT:
        return "磁盘配额已用完";
    case EFBIG:
        return "文件过大";
    case EISDIR:
        return "这是一个文件夹，不是文件";
    case ENAMETOOLONG:
        return "文件名太长";
    case ENOENT:
        return "文件或文件夹不存在";
    case ENOTDIR:
        return "路径中有一项不是文件夹";
    case ELOOP:
        return "符号链接层数过多";
    case EIO:
        return "设备读写出错";
    case EMFILE:
    case ENFILE:
        return "打开的文件过多";
    case EBUSY:
        return "文件或设备正忙";
    case EAGAIN:
        return "资源暂时不可用，请稍后再试";
    case kLockKeptTaken:
        return "同一文件夹中同时进行的其他写入一再占用本次写入的锁文件，请稍后再试";
    case EXDEV:
        return "不能跨文件系统移动文件";
    case ETXTBSY:
        return "文件正被执行，不能写入";
    case EEXIST:
        return "文件已存在";
    case ENOTEMPTY:
        return "文件夹不是空的";
    case EMLINK:
        return "文件的链接数过多";
    case EINVAL:
        return "参数无效";
    case ENOMEM:
    case ENOBUFS:
        return "内存不足";
    case EINTR:
        return "操作被中断";
    case ENXIO:
    case ENODEV:
        return "设备不存在";
    case EOVERFLOW:
        return "文件过大，无法处理";
    case EBADF:
        return "文件描述符无效";
    case EFAULT:
        return "地址无效";
    case ESTALE:
        return "网络文件已失效";
    case ETIMEDOUT:
        return "操作超时";
    case ENOLCK:
        return "没有可用的文件锁";
    case EDEADLK:
        return "文件锁会造成死锁";
    case EOPNOTSUPP:
        return "文件系统不支持此操作";
    case ENOSYS:
        return "系统不支持此操作";
    case EPIPE:
        return "管道已断开";
    case ENOTCONN:
    case ECONNRESET:
    case ECONNABORTED:
        return "网络连接已断开";
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
        return "网络不可用";
    case ENOMEDIUM:
        return "设备中没有介质";
    case EUCLEAN:
    case EBADMSG:
        return "文件系统已损坏";
    case ENOTBLK:
        return "不是块设备";
    case ESPIPE:
        return "不能在此文件中定位";
    default:
        return "系统错误（错误号 " + std::to_string(errorNumber) + "）";
    }
}

std::string writeFailureText(std::string_view path, std::string_view reason)
{
    return fileFaultText("文件写入失败：", path, reason);
}

std::string putBackFailureText(std::string_view path, std::string_view kept)
{
    return "原有文件 " + std::string(path) + " 未能恢复，现保存为 " + std::string(kept);
}

std::string readFailureText(std::string_view path, std::string_view reason)
{
    return fileFaultText("文件读取失败：", path, reason);
}

} // namespace tw
