// A CUPS queue that turns jobs into PDF files (cups-pdf) for the tests that
// print through CUPS: the one that runs already or, for root where none
// runs, one on a scheduler of the test's own, which no other program sees
// (its own folder and socket) and which stops when the object goes.
#pragma once

#include <QtCore/QProcess>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtCore/QTemporaryDir>

#include <memory>

class ScopedEnv;

class TCupsPdfQueue {
public:
    TCupsPdfQueue();
    ~TCupsPdfQueue();
    TCupsPdfQueue(const TCupsPdfQueue&) = delete;
    TCupsPdfQueue& operator=(const TCupsPdfQueue&) = delete;

    // Empty when the queue is there, else why it is not.
    const QString& Missing() const { return missing_; }
    const QString& Name() const { return name_; }
    // The PDF files the queue made of jobs titled title (letters and
    // digits), once it has no job left; none when it took longer than a
    // minute.
    QStringList Output(const QString& title) const;

private:
    void FindRunningQueue();
    void StartOwnQueue();
    QString StartScheduler();

    QString missing_;
    QString name_;
    QString outputFolder_;
    std::unique_ptr<QTemporaryDir> folder_;  // of our own scheduler
    std::unique_ptr<QProcess> scheduler_;
    std::unique_ptr<ScopedEnv> server_;  // CUPS_SERVER naming its socket
};
