// Reports over SQLite data for the run checks: tables made and summed by
// the sqlite3 tool, queries over them, bands and controls in millimetres,
// the "band placed" record, and the printed text read back from the page
// metafiles by emf2svg-conv, line by line.
#pragma once

#include "QRCtrls.h"
#include "QRReport.h"

#include "DBTables.h"
#include "EmfSvg.h"
#include "Metafile.h"

#include <QtCore/QProcess>
#include <QtCore/QStandardPaths>
#include <QtCore/QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

struct Placed {
    QString name;
    Integer page, column, x, y, height;
};

class QRRunCheckFixture : public ::testing::Test {
public:
    // Runs SQL statements with the sqlite3 tool; answers its output lines,
    // columns separated by blanks.
    QStringList SqliteLines(const QString& sql)
    {
        QProcess tool;
        tool.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), QStringLiteral("-separator"),
                                               QStringLiteral(" "), db_, sql});
        EXPECT_TRUE(tool.waitForFinished(30000));
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        return QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    void Sql(const QString& sql) { SqliteLines(sql); }

protected:
    void SetUp() override
    {
        if (ConverterMissing())
            GTEST_SKIP() << "emf2svg-conv is not installed (scripts/install-deps.sh installs it)";
        if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
            GTEST_SKIP() << "the sqlite3 tool is not installed";
        InitializeQRExpr();
        db_ = dir_.filePath(QStringLiteral("run.db"));
        report = std::make_unique<TRazorUze>(nullptr);
        report->SetName(QStringLiteral("Report"));
        report->SetUnits(TQRUnit::MM);
        report->Page()->SetPaperSize(TQRPaperSize::A4);
        report->OnBandPlaced = [this](const TQRBandPlaced& p) {
            placed.push_back({p.Band->Name(), p.Page, p.Column, p.X, p.Y, p.Height});
        };
    }

    // An open query; setUp runs before it opens (parameter types).
    TQuery& Query(const QString& name, const QString& sql, const std::function<void(TQuery&)>& setUp = {})
    {
        auto query = std::make_unique<TQuery>(nullptr);
        query->SetName(name);
        query->SetDatabaseName(db_);
        query->SQL()->SetText(sql);
        if (setUp)
            setUp(*query);
        query->Open();
        queries_.push_back(std::move(query));
        return *queries_.back();
    }

    template <class Band = TQRBand> Band* Make(const QString& name, long double heightMM)
    {
        auto* band = new Band(report.get());
        band->SetName(name);
        band->SetParent(report.get());
        band->Size()->SetHeight(heightMM);
        return band;
    }
    TQRBand* Make(const QString& name, TQRBandType type, long double heightMM)
    {
        TQRBand* band = Make<TQRBand>(name, heightMM);
        band->SetBandType(type);
        return band;
    }
    TQRGroup* Group(const QString& name, long double heightMM, const QString& expression)
    {
        auto* group = Make<TQRGroup>(name, heightMM);
        group->SetExpression(expression);
        return group;
    }
    // A group that prints the value it breaks on at its left edge.
    TQRGroup* ShowingGroup(const QString& name, long double heightMM, const QString& expression)
    {
        TQRGroup* group = Group(name, heightMM, expression);
        Text(group, expression, 0);
        return group;
    }
    TQRExpr* Text(TQRCustomBand* band, const QString& expression, long double leftMM, const QString& mask = {})
    {
        auto* expr = new TQRExpr(report.get());
        expr->SetParent(band);
        expr->Size()->SetLeft(leftMM);
        expr->SetExpression(expression);
        expr->SetMask(mask);
        return expr;
    }
    TQRLabel* Label(TQRCustomBand* band, const QString& caption, long double leftMM)
    {
        auto* label = new TQRLabel(report.get());
        label->SetParent(band);
        label->Size()->SetLeft(leftMM);
        label->SetCaption(caption);
        return label;
    }

    // Each run into a fresh report printer, with a fresh record.
    void Run()
    {
        placed.clear();
        printer = std::make_unique<TQRPrinter>(report.get());
        report->SetQRPrinter(printer.get());
        report->CreateReport(false);
    }

    // Tops of the band's prints on a page, in order.
    std::vector<Integer> PlacedOn(const QString& name, Integer page) const
    {
        std::vector<Integer> tops;
        for (const Placed& p : placed)
            if (p.name == name && p.page == page)
                tops.push_back(p.y);
        return tops;
    }

    struct PageText {
        QString text;
        double x, y;  // pixels at 96 dpi
    };

    // The texts of page n, top to bottom, those on one line left to right.
    std::vector<PageText> TextsOnPage(Integer n, const QString& tag)
    {
        std::vector<PageText> items;
        const auto page = printer->GetPage(n);
        if (!page)
            return items;
        const QString test = QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
        const QString name = QStringLiteral("qrruncheck-%1-%2-p%3").arg(test, tag).arg(n);
        for (const SvgElement& e : Named(ConvertToSvg(*page, name), "text"))
            items.push_back({e.text, e.Number("x"), e.Number("y")});
        std::stable_sort(items.begin(), items.end(), [](const PageText& a, const PageText& b) {
            return std::abs(a.y - b.y) > 1.5 ? a.y < b.y : a.x < b.x;
        });
        return items;
    }

    // The texts of every page as lines, top to bottom.
    std::vector<QStringList> PrintedLines(const QString& tag = QStringLiteral("run"))
    {
        std::vector<QStringList> lines;
        for (Integer n = 1; n <= printer->PageCount(); ++n) {
            double lineY = -100;
            for (const PageText& item : TextsOnPage(n, tag)) {
                if (std::abs(item.y - lineY) > 1.5)
                    lines.emplace_back();
                lineY = item.y;
                lines.back() << item.text;
            }
        }
        return lines;
    }

    // Every page filled from the top margin (100) band under band, and each
    // page ended only by a band that would not have fitted above the limit.
    void ExpectPagesFilledInTurn(Integer reservedFooter)
    {
        const Integer limit = 2870 - reservedFooter;
        for (size_t i = 0; i < placed.size(); ++i) {
            const Placed& p = placed[i];
            EXPECT_LE(p.y + p.height, limit) << p.name.toStdString() << " #" << i;
            if (i == 0 || placed[i - 1].page != p.page) {
                EXPECT_EQ(p.y, 100) << "first band of page " << p.page;
                if (i > 0) {
                    EXPECT_GT(placed[i - 1].y + placed[i - 1].height + p.height, limit) << "page " << p.page - 1;
                }
            } else {
                EXPECT_EQ(p.y, placed[i - 1].y + placed[i - 1].height) << p.name.toStdString() << " #" << i;
            }
        }
    }

    std::vector<Placed> placed;
    // Declared first: freed after the report that refers to them.
    std::vector<std::unique_ptr<TQuery>> queries_;
    std::unique_ptr<TRazorUze> report;
    std::unique_ptr<TQRPrinter> printer;

private:
    QTemporaryDir dir_;
    QString db_;
};
