#pragma once

#include <cstdint>
#include <string>

#include "screens/replay_file.h"

// A level's record at one pace lives in two files: its records file and
// the run that made it. Saving a record keeps the two agreeing whatever
// happens meanwhile: another window or tab that saved a better record since
// this game read its own, a kill between the two writes, a full disk.
struct RecordFiles {
    std::string records;  // "Save/records-N.rcd"
    std::string run;      // "Save/replay-N.rpl"
};

// The files of level `levelIndex` at `pace` (recordsFileName, replayFileName).
RecordFiles recordFilesOf(int32_t levelIndex, int32_t pace = FullPace);

// The record a records file holds now; 0 when it is missing or holds no
// number.
int32_t recordOnFile(const std::string& recordsPath);

struct RecordSave {
    int32_t record = 0;    // the level's record now: the one on file, or the score that beat it
    bool beaten = false;   // the score beat the record on file
    bool written = false;  // and the new record reached its file
};

// Saves `score` as the record of level `levelIndex` in `files` when it beats
// the record on file now (read again here: another game may have raised it),
// never putting a lower record over a higher one. The records file is
// written first; only once it holds the new record is the run written
// beside it (`run`, null when the play kept none), or the old record's run
// removed when this one cannot be written. A records file that cannot be
// written leaves both files as they were, and says so on the standard
// output. In the page both files reach its storage in one transaction.
RecordSave saveRecord(int32_t levelIndex, int32_t score, const ReplayData* run,
                      const RecordFiles& files);

// Where a record made on an earlier version of its level is kept apart, with
// its run: "-ancien" before each file's extension ("Save/records-1-ancien.rcd").
RecordFiles oldVersionOf(const RecordFiles& files);

// When the record in `files` was made on another version of the level than
// the one whose fingerprint is `levelFingerprint` (its run says so), moves
// it and its run to oldVersionOf(files), replacing an older one there, and
// says so on the standard output: the new version's record starts anew and
// the old one is shown apart. True when it moved them.
bool setAsideOtherVersion(int32_t levelIndex, const RecordFiles& files, uint64_t levelFingerprint);
