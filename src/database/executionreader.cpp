#include "src/database/executionreader.h"
#include "src/database/storedform.h"

#include "src/database/database.h"
#include "src/database/sqltext.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace
{
// Up to this many texts go into the statement; beyond, every row is read and the selection is made here.
const int MAXIMUM_LISTED = 64;

} // namespace

// One execution of the selection; its name and date are the lists' own texts at these positions.
struct TExecutionReader::TRow
{
    int outer;
    int inner;
    int program_id;
    QTime time;
    QString revision;
};

namespace
{
// The texts repeat over years of records: each row shares the one copy of its
// text, converted from its bytes once (all of them: a zero character included).
QString Shared(QHash<QByteArray, QString> *texts, const QByteArray &bytes)
{
    auto known = texts->constFind(bytes);
    if (known == texts->constEnd())
        known = texts->insert(bytes, QString::fromUtf8(bytes.constData(), bytes.size()));
    return *known;
}

QString Listed(const QStringList &texts)
{
    QStringList quoted;
    for (const QString &text : texts)
        quoted << QLatin1Char('\'') + TSqlText::Text(text) + QLatin1Char('\'');
    return quoted.join(QLatin1Char(','));
}

struct TData
{
    int row;
    int execution_time;
    int idle_time;
    int point_count;
};

// Rows found through an index come in the index's order: sorted by rowid again
// (a table scan gives them sorted already, which is checked first).
void In_Recording_Order(std::vector<std::pair<qint64, int>> *rows)
{
    if (!std::is_sorted(rows->begin(), rows->end()))
        std::sort(rows->begin(), rows->end());
}

} // namespace

// From a program_id to its row of the selection. Keys are assigned one after
// the other, so a table by key serves; keys spread far apart take a hash.
class TExecutionReader::TRowIndex
{
public:
    explicit TRowIndex(const std::vector<int> &program_ids)
    {
        const qint64 largest = program_ids.empty() ? 0 : program_ids.back();
        d_dense = largest >= 0 && largest <= qint64(program_ids.size()) * 4 + 1024 &&
                  (program_ids.empty() || program_ids.front() >= 0);
        if (d_dense)
            d_table.assign(size_t(largest) + 1, -1);
        for (size_t row = 0; row < program_ids.size(); ++row)
            if (d_dense)
                d_table[size_t(program_ids[row])] = int(row);
            else
                d_hash.insert(program_ids[row], int(row));
    }
    // The row, or -1 when the key is not in the selection.
    int Row(int program_id) const
    {
        if (d_dense)
            return program_id >= 0 && size_t(program_id) < d_table.size() ? d_table[size_t(program_id)] : -1;
        return d_hash.value(program_id, -1);
    }

private:
    bool d_dense;
    std::vector<int> d_table;
    QHash<int, int> d_hash;
};

namespace
{
QHash<QByteArray, int> Positions(const QStringList &texts)
{
    QHash<QByteArray, int> positions;
    for (int i = 0; i < texts.size(); ++i)
        positions.insert(texts.at(i).toUtf8(), i);
    return positions;
}
} // namespace

TExecutionReader::TExecutionReader(const QSqlDatabase &db) : d_db(db), d_utf8(false)
{
    QSqlQuery query(d_db);
    d_utf8 = query.exec(QStringLiteral("PRAGMA encoding")) && query.next() &&
             query.value(0).toString() == QLatin1String("UTF-8");
}

// Where the file keeps its texts in UTF-8 they are read as those bytes: the
// driver's conversion of every value to UTF-16 was the most of a long read.
QString TExecutionReader::Text_Column(const char *column) const
{
    return d_utf8 ? QStringLiteral("CAST(%1 AS BLOB)").arg(QLatin1String(column)) : QLatin1String(column);
}

QByteArray TExecutionReader::Bytes(const QVariant &value) const
{
    return d_utf8 ? value.toByteArray() : value.toString().toUtf8();
}

QString TExecutionReader::Filter(const QStringList &names, const QStringList &dates) const
{
    if (dates.size() <= MAXIMUM_LISTED && dates.size() <= names.size())
        return QStringLiteral(" WHERE date IN (%1)").arg(Listed(dates));
    if (names.size() <= MAXIMUM_LISTED)
        return QStringLiteral(" WHERE name IN (%1)").arg(Listed(names));
    return QString();
}

QDate TExecutionReader::Date(const QString &date_text)
{
    // Parsing with a pattern is slow and the texts repeat: each is parsed once.
    auto date = d_dates.constFind(date_text);
    if (date == d_dates.constEnd())
        date = d_dates.insert(date_text, TStoredForm::Date(date_text));
    return *date;
}

// What one read has found so far, row by row in recording order of the program table.
struct TExecutionReader::TSelection
{
    std::vector<TRow> rows;
    std::vector<int> program_ids;
    // Where each row's item stands in the result.
    std::vector<int> position_of_row;
    std::vector<TExecution> items;
};

std::vector<TExecution> TExecutionReader::Read(const QStringList &names, const QStringList &dates,
                                               bool dates_outside)
{
    if (names.isEmpty() || dates.isEmpty())
        return std::vector<TExecution>();
    const QString filter = Filter(names, dates);
    TSelection selection;
    if (!Read_Programs(names, dates, dates_outside, filter, &selection))
        return std::vector<TExecution>();
    Arrange(names, dates, dates_outside, &selection);

    // The selection's rows of the other two tables, found through their
    // program_id index, then taken in recording order (rowid) as the plain
    // statements give them.
    const QString selected =
        filter.isEmpty()
            ? QString()
            : QStringLiteral(" WHERE program_id IN (SELECT program_id FROM program%1)").arg(filter);
    const TRowIndex row_of_program(selection.program_ids);
    Read_Figures(selected, row_of_program, &selection);
    Read_Messages(selected, row_of_program, &selection);
    return std::move(selection.items);
}

bool TExecutionReader::Read_Programs(const QStringList &names, const QStringList &dates, bool dates_outside,
                                     const QString &filter, TSelection *selection)
{
    const QHash<QByteArray, int> name_positions = Positions(names);
    const QHash<QByteArray, int> date_positions = Positions(dates);
    QHash<QByteArray, QString> revisions;
    QSqlQuery query(d_db);
    query.setForwardOnly(true);
    // A missing name or date never equals a text in a statement's condition.
    if (!query.exec(
            QStringLiteral("SELECT program_id,%2,%3,%4,%5 FROM program%1%6 name IS NOT NULL AND date IS "
                           "NOT NULL ORDER BY program_id")
                .arg(filter, Text_Column("name"), Text_Column("date"), Text_Column("time"),
                     Text_Column("revision"),
                     filter.isEmpty() ? QStringLiteral(" WHERE") : QStringLiteral(" AND"))))
        return false;
    while (query.next())
    {
        const auto name_position = name_positions.constFind(Bytes(query.value(1)));
        const auto date_position = date_positions.constFind(Bytes(query.value(2)));
        if (name_position == name_positions.constEnd() || date_position == date_positions.constEnd())
            continue;
        const int program_id = query.value(0).toInt();
        selection->program_ids.push_back(program_id);
        selection->rows.push_back({dates_outside ? *date_position : *name_position,
                                   dates_outside ? *name_position : *date_position, program_id,
                                   TStoredForm::Time(Bytes(query.value(3))),
                                   Shared(&revisions, Bytes(query.value(4)))});
    }
    return true;
}

// Groups as the nested loops make them; within a group, recording order.
void TExecutionReader::Arrange(const QStringList &names, const QStringList &dates, bool dates_outside,
                               TSelection *selection)
{
    const std::vector<TRow> &rows = selection->rows;
    std::vector<int> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(),
                     [&rows](int a, int b) {
                         return rows[a].outer != rows[b].outer ? rows[a].outer < rows[b].outer
                                                               : rows[a].inner < rows[b].inner;
                     });
    selection->position_of_row.resize(rows.size());
    selection->items.resize(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
    {
        const TRow &row = rows[order[i]];
        selection->position_of_row[order[i]] = int(i);
        const int name_position = dates_outside ? row.inner : row.outer;
        const int date_position = dates_outside ? row.outer : row.inner;
        TExecution &item = selection->items[i];
        item.Set_Name(names.at(name_position));
        item.Set_Revision(row.revision);
        // One conversion to local time instead of the two of setDate and setTime:
        // the same value (a time that does not parse is midnight in both).
        item.Set_Date_Time(QDateTime(Date(dates.at(date_position)), row.time));
    }
}

void TExecutionReader::Read_Figures(const QString &selected, const TRowIndex &row_of_program,
                                    TSelection *selection)
{
    std::vector<std::pair<qint64, int>> data_rows;
    std::vector<TData> data;
    QSqlQuery query(d_db);
    query.setForwardOnly(true);
    if (query.exec(
            QStringLiteral("SELECT rowid,program_id,execution_time,idle_time,point_count FROM program_data%1")
                .arg(selected)))
        while (query.next())
        {
            const int row = row_of_program.Row(query.value(1).toInt());
            if (row < 0)
                continue;
            data_rows.emplace_back(query.value(0).toLongLong(), int(data.size()));
            data.push_back({row, query.value(2).toInt(), query.value(3).toInt(), query.value(4).toInt()});
        }
    In_Recording_Order(&data_rows);
    // The first data row of an execution counts.
    std::vector<bool> with_data(selection->rows.size(), false);
    for (const auto &data_row : data_rows)
    {
        const TData &values = data[size_t(data_row.second)];
        if (with_data[size_t(values.row)])
            continue;
        with_data[size_t(values.row)] = true;
        TExecution &item = selection->items[size_t(selection->position_of_row[size_t(values.row)])];
        item.Set_Stored_Figures(values.execution_time, values.idle_time, values.point_count);
    }
}

void TExecutionReader::Read_Messages(const QString &selected, const TRowIndex &row_of_program,
                                     TSelection *selection)
{
    std::vector<std::pair<qint64, int>> message_rows;
    QStringList messages;
    std::vector<int> message_owner;
    QHash<QByteArray, QString> shared_messages;
    QSqlQuery query(d_db);
    query.setForwardOnly(true);
    if (query.exec(QStringLiteral("SELECT rowid,program_id,%2 FROM program_message%1")
                       .arg(selected, Text_Column("message"))))
        while (query.next())
        {
            const int row = row_of_program.Row(query.value(1).toInt());
            if (row < 0)
                continue;
            message_rows.emplace_back(query.value(0).toLongLong(), messages.size());
            messages.append(Shared(&shared_messages, Bytes(query.value(2))));
            message_owner.push_back(row);
        }
    In_Recording_Order(&message_rows);
    for (const auto &message_row : message_rows)
        selection
            ->items[size_t(selection->position_of_row[size_t(message_owner[size_t(message_row.second)])])]
            .Add_Error_Message(messages.at(message_row.second));
}

// The names of every date in one pass over the file in recording order,
// grouped as the statements per date would give them: for thousands of dates
// one pass is faster than a statement each.
QStringList TExecutionReader::Names_On_Dates(const QStringList &dates)
{
    QHash<QString, int> positions;
    for (int i = dates.size() - 1; i >= 0; --i)
        positions.insert(dates.at(i), i);
    std::vector<QStringList> names_of_date(size_t(dates.size()));
    std::vector<QSet<QString>> seen(size_t(dates.size()));
    QSqlQuery query(d_db);
    if (TDatabase::Execute(&query, QStringLiteral("SELECT date,name FROM program ORDER BY program_id")))
        while (query.next())
        {
            // A name that is NULL shows as empty, as the statements per date give it.
            const auto position = positions.constFind(query.value(0).toString());
            if (query.isNull(0) || position == positions.constEnd())
                continue;
            const QString name = query.value(1).toString();
            if (!seen[size_t(*position)].contains(name))
            {
                seen[size_t(*position)].insert(name);
                names_of_date[size_t(*position)].append(name);
            }
        }
    QStringList names;
    for (const QStringList &on_date : names_of_date)
        names += on_date;
    return names;
}
