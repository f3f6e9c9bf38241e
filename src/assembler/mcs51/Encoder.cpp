#include "Encoder.h"

namespace tw::mcs51
{

Encoded encodeStatement(long long, const QString &mnemonic, const QString &, EncodeContext &)
{
    return {mnemonic, QStringLiteral("\t"), 0};
}

} // namespace tw::mcs51
