#pragma once

// Where a learner's data lives: Tavelo.mdb, mp3/, jpg/, temp/, backups/ and Tavelo.pending.
// The one rule the program, its launcher (through tavelo-admin data-dir), tavelo-admin, the
// backups, the restore and the instance lock all follow:
//   1. a folder named on the command line (--data-dir DIR),
//   2. else the folder named by the variable TAVELO_DATA_DIR,
//   3. else the program's own folder when it can be written (a build tree, an installation
//      into a folder the learner owns),
//   4. else $XDG_DATA_HOME/tavelo, by default ~/.local/share/tavelo (an installation for
//      everyone, whose folder nobody may write).

#include <QString>
#include <QStringList>

enum class TDataFolderSource { Option, Variable, ProgramFolder, UserFolder };

struct TDataFolder {
    QString path; // absolute, without a trailing separator
    TDataFolderSource source = TDataFolderSource::ProgramFolder;
};

// option: the --data-dir value, empty when not given.
TDataFolder ResolveDataFolder(const QString& programDir, const QString& option = QString());

// Takes "--data-dir DIR" or "--data-dir=DIR" out of args. False when the option is there
// without a folder; *dir stays empty when it is absent.
bool TakeDataDirOption(QStringList& args, QString* dir);

// Creates the folder (and its parents) when it is missing. False with *error when it cannot.
bool EnsureDataFolder(const QString& path, QString* error);
