// What the SQL data sets share inside the framework: connections to SQLite
// databases, prepared statements, and the cursor that reads a statement's
// rows as a data set moves.
#pragma once

#include "DB.h"

#include <QtCore/QString>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

inline bool IsIntegerType(TFieldType t) {
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftLargeint;
}
inline bool IsFloatType(TFieldType t) {
    return t == ftFloat || t == ftCurrency || t == ftBCD || t == ftFMTBcd;
}
inline bool IsDateType(TFieldType t) {
    return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp;
}

class TSqlConnection;

// A database in use: the connection every data set naming the database
// shares, held open while this lives. A database file replaced on disk gets
// a connection of its own; the old one stays with its users until they go.
class TConnectionUse {
public:
    explicit TConnectionUse(const QString& databaseName);
    ~TConnectionUse();
    TConnectionUse(const TConnectionUse&) = delete;
    TConnectionUse& operator=(const TConnectionUse&) = delete;
    sqlite3* Handle() const;

private:
    std::shared_ptr<TSqlConnection> connection_;
};

// One prepared statement, finalized with the object.
class TSqlStatement {
public:
    // Raises the driver's message; a text holding no statement, or more
    // than one, raises as well.
    TSqlStatement(sqlite3* db, const QString& sql);
    ~TSqlStatement();
    TSqlStatement(const TSqlStatement&) = delete;
    TSqlStatement& operator=(const TSqlStatement&) = delete;

    // Null when SQLite cannot prepare the text.
    static std::unique_ptr<TSqlStatement> TryPrepare(sqlite3* db, const QString& sql);

    sqlite3_stmt* Handle() const { return stmt_; }
    // False when running the statement changes the database.
    bool ReadOnly() const;
    void Bind(const std::vector<TFieldValue>& values);
    // True on a row; false at the end, where the statement is reset (and
    // its locks given back). An error resets it too and raises.
    bool Step();
    void Reset();

private:
    TSqlStatement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
    sqlite3* db_;
    sqlite3_stmt* stmt_;
};

// Rows as SQLite gave them, packed into chunks of bytes: per value a tag,
// then 8 bytes of number or a 4-byte length and the text. Records behind
// First() are gone; their memory goes a chunk at a time.
class TRowStore {
public:
    Integer First() const { return first_; }
    Integer End() const { return end_; }
    void Append(const std::string& row);
    const char* Row(Integer record) const;  // nullptr when not held
    void DropBefore(Integer record);
    void Clear();

private:
    struct Chunk {
        std::vector<char> Bytes;
        std::vector<uint32_t> Starts;
        Integer First = 0;
    };
    std::deque<Chunk> chunks_;
    Integer first_ = 0;
    Integer end_ = 0;
};

// A column of a result: its name, and its field type from the declared
// type (or, for an expression, from its value in the first row).
struct TSqlColumn {
    QString Name;
    TFieldType Type = ftUnknown;
    Integer Size = 0;
};

// An open statement and the rows read from it. The cursor steps the
// statement only as records are asked for. Bidirectional, it keeps every
// row read; unidirectional, it keeps none behind the record last asked for
// and reaches record 0 again by running the statement again. Values are
// converted when a field reads them.
class TSqlCursor {
public:
    TSqlCursor(const QString& databaseName, const QString& sql, std::vector<TFieldValue> bindings,
               bool uniDirectional);
    ~TSqlCursor();

    const std::vector<TSqlColumn>& Columns() const { return columns_; }
    bool Get(Integer record);
    Integer Last();
    Integer Count();
    const TFieldValue& Value(Integer record, Integer column);

private:
    bool Fetch();
    void Rerun();
    void SettleColumns();
    Integer CountSeparately() const;
    const char* Cell(Integer record, Integer column);

    TConnectionUse use_;  // first: it outlives the statements
    QString sql_;
    std::vector<TFieldValue> bindings_;
    bool uniDirectional_;
    TSqlStatement statement_;
    bool readOnly_;
    std::vector<TSqlColumn> columns_;
    TRowStore rows_;
    std::string row_;  // the row being packed
    bool done_ = false;
    QString error_;  // the statement failed: every later read raises it
    std::optional<Integer> count_;
    // The record whose cells cellAt_ locates, and per column the record
    // whose converted value values_ holds.
    Integer cellsOf_ = -1;
    std::vector<const char*> cellAt_;
    std::vector<Integer> valueOf_;
    std::vector<TFieldValue> values_;
};
