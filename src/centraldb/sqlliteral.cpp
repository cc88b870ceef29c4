#include "src/centraldb/sqlliteral.h"

#include <QSqlDriver>
#include <QSqlField>
#include <QVariant>

QString TSqlLiteral::Text(const QString &value) const
{
    // An empty text is stored as one, never as NULL (which the driver makes of a null QString).
    if (value.isEmpty())
        return QStringLiteral("''");
    QSqlField field(QString(), QVariant::String);
    QString text = value;
    text.replace(QChar(0), QChar(0xFFFD));
    field.setValue(text);
    return d_db.driver()->formatValue(field);
}

QString TSqlLiteral::Timestamp(const QDateTime &time)
{
    if (!time.isValid())
        return QStringLiteral("NULL");
    return QStringLiteral("'%1'").arg(time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
}

QString TSqlLiteral::Instant(const QDateTime &time)
{
    if (!time.isValid())
        return QStringLiteral("NULL");
    return QStringLiteral("'%1'").arg(time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")));
}
