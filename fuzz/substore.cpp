// Any bytes as a library database file, opened read-only as the library window opens one and
// read through, under each of the three table names.
#include "FuzzSupport.h"

#include "assistants/SubroutineLibraries.h"
#include "assistants/SubroutineStore.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QString path = twfuzz::workPath("library.db");
    if (size == 0)
        return 0;
    // The first byte picks the table, the rest is the file.
    const char *tables[] = {tw::kFixedPointTable, tw::kFloatingPointTable, tw::kUserTable};
    twfuzz::writeInput(path, data + 1, size - 1);
    tw::SubroutineStore store;
    const QString opened = store.openReadOnly(path, QString::fromLatin1(tables[data[0] % 3]));
    if (opened.isEmpty()) {
        QList<tw::SubroutineRecord> records;
        store.readAll(records);
    }
    store.close();
    // Read-only means the file is as it was.
    if (twfuzz::readOutput(path) !=
        QByteArray(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1)))
        twfuzz::finding("opening a library read-only changed its file");
    return 0;
}
