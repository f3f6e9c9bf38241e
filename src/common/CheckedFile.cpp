#include "CheckedFile.h"
#include "OutcomeWriter.h"

#include <QFile>

#include <vector>

namespace tw
{

namespace
{

class ByteArrayBuffer final : public ReadBuffer
{
  public:
    explicit ByteArrayBuffer(QByteArray &bytes) : m_bytes(bytes) {}
    char *resize(std::size_t size) override
    {
        m_bytes.resize(static_cast<qsizetype>(size));
        return m_bytes.data();
    }

  private:
    QByteArray &m_bytes;
};

} // namespace

QString writeFailureMessage(const QString &path, const QString &reason)
{
    return QString::fromStdString(writeFailureText(path.toStdString(), reason.toStdString()));
}

CheckedRead readFileChecked(const QString &path, qint64 maxBytes)
{
    CheckedRead result;
    ByteArrayBuffer buffer(result.bytes);
    std::string reason;
    result.fault = readFileInto(nativePath(path), maxBytes, buffer, reason);
    if (!result.ok()) {
        result.bytes.clear();
        result.reason = QString::fromStdString(reason);
    }
    return result;
}

QString replaceFileChecked(const QString &path, QByteArrayView bytes, WriteSync sync)
{
    return replaceFileExpecting(path, bytes, sync, std::nullopt).reason;
}

QString replaceFileChecked(const QString &path, std::span<const QByteArrayView> pieces, WriteSync sync)
{
    std::vector<std::string_view> views;
    views.reserve(pieces.size());
    for (const QByteArrayView piece : pieces)
        views.emplace_back(piece.data(), static_cast<std::size_t>(piece.size()));
    return QString::fromStdString(replaceFilePlain(nativePath(path), views, sync));
}

CheckedReplacement replaceFileExpecting(const QString &path, QByteArrayView bytes, WriteSync sync,
                                        const std::optional<FileState> &expected)
{
    const std::string_view piece(bytes.data(), static_cast<std::size_t>(bytes.size()));
    const Replacement done =
        replaceFileExpecting(nativePath(path), std::span<const std::string_view>(&piece, 1), sync, expected);
    return {QString::fromStdString(done.reason), done.changedMeanwhile, done.written};
}

FileState fileStateAt(const QString &path)
{
    return fileStateOf(nativePath(path));
}

QString outputRefusalAt(const QString &path)
{
    return QString::fromStdString(outputRefusal(nativePath(path)));
}

} // namespace tw
