// Facts about the system recorded at start-up (operating-system name, the
// temporary and program folders, the executable's time stamp) and the
// call-history log, in which routines push their name on entry and pop it
// on exit.
//
// Paths use the system's folder delimiter '/'; there are no Windows or
// system folders here, so those two stay empty.
#pragma once

#include "Classes.h"
#include "Types.h"

#include <memory>

// ------------------------------------------------------------ THistory

// A log of nested calls. Each line is "[yyyy/mm/dd hh:nn:ss.zzz] ", one
// blank per line already logged (the nesting depth), then the name. The
// inherited string list stays empty; the lines live in a list of their own.
class THistory : public TStringList {
public:
    THistory();
    ~THistory() override;

    // Nothing is logged while inactive (the state after construction).
    bool Active() const { return active_; }
    void SetActive(bool on) { active_ = on; }
    // GetMethodName drops the indent.
    bool TrimName() const { return trimName_; }
    void SetTrimName(bool on) { trimName_ = on; }
    // When the last line was pushed.
    TDateTime LastTime() const { return lastTime_; }
    // The log lines, oldest first.
    const TStringList& Lines() const { return *lines_; }

    void Push(const QString& Name);
    // Removes the last line; unbalanced calls only shorten the log.
    void Pop();
    // Newest first: Index 0 is the last line; an Index at or past the count
    // reads as 0. Empty for an empty or inactive log.
    void GetItem(Integer Index, QString& S) const;
    // The line after its first "]", leading blanks removed with TrimName.
    void GetMethodName(Integer Index, QString& S) const;
    // The line up to and including its first "]".
    void GetMethodTime(Integer Index, QString& S) const;
    // "*** History Listing ***" and every line, oldest first, joined by
    // CR LF; empty while inactive.
    void List(QString& S) const;

private:
    std::unique_ptr<TStringList> lines_;
    TDateTime lastTime_ = 0;
    bool active_ = false;
    bool trimName_ = true;
};

// ------------------------------------------------------------ unit variables

// Filled by ZvTUtilsInitialize in this order.
extern THistory* ZvHistory;          // active
extern QString ZvTempDir;            // GetTempDir
extern QString ZvProgramDir;         // the executable's folder with a trailing '/'
extern QString ZvWindowsDir;         // GetWindowsDir
extern QString ZvSystemDir;          // GetSystemDir
extern QString ZvExeDateTime;        // GetVersionDateTime
extern QString ZvVersionStamp;       // " yymmddhhnn" of the time stamp
extern QString ZvOSName;             // GetOSName

// Start-up and shut-down work: initialising fills the variables and pushes
// "ZvTUtils" on the history; finalising pops once and frees the history.
// The start-up runs by itself with the application object and the
// shut-down when the program ends; calling either again changes nothing.
void ZvTUtilsInitialize();
void ZvTUtilsFinalize();

// ------------------------------------------------------------ routines

// File attributes of a file search.
constexpr Integer faReadOnly = 0x01, faHidden = 0x02, faSysFile = 0x04, faDirectory = 0x10, faArchive = 0x20,
                  faAnyFile = 0x1FF;

// Sets ZvOSName and returns the system's index in the name table: 0,
// "Unknown", for every system but the Windows versions the table lists.
Integer GetOSName();
// The OS-name text: "<name> (<major>.<minor> <build>) <service pack> ",
// the name from an os-release text (PRETTY_NAME, else "Unknown") and the
// numbers from a kernel release such as "6.1.0-18-amd64".
QString OSNameText(const QString& osRelease, const QString& kernelRelease);

// S := DT in Format when DT >= 1000.0, else empty.
void DateTimeToStrIfSet(const QString& Format, TDateTime DT, QString& S);
// R := S with a trailing folder delimiter, unless S is empty or has one.
void IncludeTrailingBackslash(const QString& S, QString& R);
// The name of the entry at Path when one exists whose kind Attr admits
// (folders need faDirectory, hidden entries faHidden); else empty.
void FindRealFileName(const QString& Path, Integer Attr, QString& R);
// Path with every folder in its real form; a file part that does not exist
// leaves R ending with the delimiter.
void ExpandLongPathName(const QString& Path, QString& R);
// The system's temporary folder (TMPDIR, else /tmp) with a trailing '/';
// empty when it does not exist.
void GetTempDir(QString& R);
void GetWindowsDir(QString& R);  // empty here
void GetSystemDir(QString& R);   // empty here
// The running executable's last-write time in local time,
// "yyyy/mm/dd hh:nn:ss"; empty when it cannot be read.
void GetVersionDateTime(QString& R);
// The path of the running executable.
QString ExecutablePath();
