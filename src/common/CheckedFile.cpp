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
    return replaceFileChecked(path, std::span<const QByteArrayView>(&bytes, 1), sync);
}

QString replaceFileChecked(const QString &path, std::span<const QByteArrayView> pieces, WriteSync sync)
{
    std::vector<std::string_view> views;
    views.reserve(pieces.size());
    for (const QByteArrayView piece : pieces)
        views.emplace_back(piece.data(), static_cast<std::size_t>(piece.size()));
    return QString::fromStdString(replaceFilePlain(nativePath(path), views, sync));
}

} // namespace tw
