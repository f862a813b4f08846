// A small sales database for end-to-end report tests: customers in several
// countries (Japanese names among them), their orders and the order lines,
// from a fixed seed. The database is written through our own TQuery and
// read back independently with the sqlite3 command-line tool.
#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>

#include <vector>

struct SampleSalesSize {
    int Customers = 14;
    int MinOrders = 3;
    int MaxOrders = 9;
    int MaxLines = 6;
};

// Writes the tables customers(id, name, country), orders(id, customer_id,
// order_date) and lines(order_id, line_no, product, qty, price) into a new
// SQLite file at path. Returns the number of order lines written.
int WriteSampleSalesDatabase(const QString& path, unsigned seed, const SampleSalesSize& size = {});

// The orders the report walks, grouped by country and customer: ID, COUNTRY,
// CUSTOMER, ORDERDATE and AMOUNT (the sum of the order's lines).
extern const char* const kSampleOrdersSql;
// The lines of the order whose id is the parameter :ORDERID.
extern const char* const kSampleLinesSql;

// Runs sql with the sqlite3 tool on the file; one row per output line,
// columns split on '|'. Fails the calling test when the tool fails.
std::vector<QStringList> Sqlite3Rows(const QString& path, const QString& sql);
