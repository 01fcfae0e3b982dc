// Journal - the record that makes a run's commit whole: after any end of the run, even
// a kill or a power loss in the middle of its renames, either every output is the new
// file or every output and input is as before.
//
// A run notes each file it makes beside a destination before it makes it: its
// temporary files and, at the commit, the backups that keep older destinations.  The
// commit then records each step (temporary file, its identity, the destination it
// replaces, the backup) and forces the journal to disk before the first rename; a
// commit of one output, a single rename that is made whole or not at all, needs no
// backup and is not forced.  The
// journal lives in the folder for the run's files, as ".commit.XXXXXX" (mode 0600),
// under an exclusive lock held as long as its run, and is removed last.
//
// journal_settle() puts things right from the journal alone, so the same code serves
// the run itself (after a failed rename, or at a FATAL) and the next run of either
// converter (journal_folder(), for journals whose run died):
// - a commit whose every destination is its new file is complete: the backups go;
// - any other: the destinations already replaced get their backups back (or are
//   removed, where there was no older file), then the temporary files and backups go.
// Only files named in the journal are touched, and a journal is only trusted when it
// belongs to the user, is private to them and is locked by no one.
//
// Without a folder (the fuzz harness, in-process tests) the same records are kept in
// memory only.
#pragma once

#include <sys/types.h>

// Sets the folder for the run's journal (an absolute path) and finishes there every
// commit whose run died: see above.  A journal that cannot be settled stays for a
// later run.
void journal_folder(const char *folder);

// What a noted path is: a temporary file or a backup that the run is about to create,
// or one of those names found taken by a file that is not the run's own.
enum class JournalNote : char { Temp = 'T', Backup = 'B', Foreign = 'F' };

// Notes `path` in the journal, created at the first note.  False when the note cannot
// be kept (too many, or the journal cannot be written): the file must not be made.
bool journal_note(JournalNote kind, const char *path);

// Marks the noted temporary file `path` as existing, for journal_signal_cleanup().
void journal_temp_made(const char *path);

// One output of a commit: its finished temporary file and that file's identity, the
// file it replaces, and the backup of that file (empty when there was none).
struct CommitStep {
    const char *temp;
    const char *target;
    const char *backup;
    dev_t dev;
    ino_t ino;
};

// Records the commit's steps and, for more than one, forces the journal to disk.
// False when it cannot (nothing is renamed then).
bool journal_commit(const CommitStep *steps, int n);

// Puts the run's files right as described above.  True when all is settled and the
// journal was removed; false when a step failed: the journal then stays for the next
// run.  Either way the run's records are forgotten.
bool journal_settle();

// Fills `n` (at most 16) characters at `out` with random letters and digits: the
// random part of a file name that is created exclusively and made again when taken.
constexpr int kMaxRandom = 16;
void random_chars(char *out, int n);

// Async-signal-safe: removes the run's temporary files and its journal.  For a run
// ended by a signal outside its commit, when no destination has been replaced.
void journal_signal_cleanup();
