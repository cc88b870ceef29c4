#include "src/common/groupname.h"

QString TGroupName::Clean(const QString &text)
{
    return text.simplified().left(LENGTH);
}
