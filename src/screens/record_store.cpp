#include "screens/record_store.h"

#include <iostream>

#include "screens/records.h"
#include "util/atomic_file.h"
#include "util/keyword_text.h"
#include "util/page_storage.h"

RecordFiles recordFilesOf(int32_t levelIndex, int32_t pace) {
    return RecordFiles{recordsFileName(levelIndex, pace), replayFileName(levelIndex, pace)};
}

int32_t recordOnFile(const std::string& recordsPath) {
    std::string contents;
    double square = 0.0;
    if (text::readWholeFile(recordsPath, contents, text::MaxDataFileBytes)) {
        readRecordSquare(contents, square);
    }
    return recordFromSquare(square);
}

RecordSave saveRecord(int32_t levelIndex, int32_t score, const ReplayData* run,
                      const RecordFiles& files) {
    // Another tab of the page may have stored a newer record than the one
    // this tab read in.
    refreshFromPageStorage(files.records);
    refreshFromPageStorage(files.run);
    RecordSave save;
    save.record = recordOnFile(files.records);
    if (score <= save.record) {
        return save;
    }
    save.beaten = true;
    save.record = score;
    StorageTransaction together;
    if (!writeFileAtomically(files.records, recordSquareText(score))) {
        // The old record stays on file, and so does its run.
        std::cout << "Impossible d'enregistrer le record " << score << " du niveau "
                  << levelIndex + 1 << " dans " << files.records
                  << " : il sera perdu en quittant le jeu" << std::endl;
        return save;
    }
    save.written = true;
    // The old run is no longer the record's: gone rather than shown as it.
    if (run == nullptr || !writeFileAtomically(files.run, replayText(*run))) {
        removeFileDurably(files.run);
    }
    save.written = together.commit();
    return save;
}

namespace {

std::string withOldVersionMark(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path + "-ancien";
    }
    return path.substr(0, dot) + "-ancien" + path.substr(dot);
}

}  // namespace

RecordFiles oldVersionOf(const RecordFiles& files) {
    return RecordFiles{withOldVersionMark(files.records), withOldVersionMark(files.run)};
}

bool setAsideOtherVersion(int32_t levelIndex, const RecordFiles& files, uint64_t levelFingerprint) {
    std::string text;
    ReplayData run;
    std::string reason;
    // Only a run that is the record's tells which level the record was made
    // on; a record without one stays the level's.
    if (!text::readWholeFile(files.run, text, MaxReplayFileBytes) ||
        !parseReplayText(text, run, reason) || run.levelFingerprint == levelFingerprint ||
        run.score <= 0 || run.score != recordOnFile(files.records)) {
        return false;
    }
    const RecordFiles old = oldVersionOf(files);
    if (!renameFileDurably(files.records, old.records)) {
        return false;
    }
    renameFileDurably(files.run, old.run);
    std::cout << "Le record " << run.score << " du niveau " << levelIndex + 1
              << " a ete fait sur une autre version du niveau : garde a part dans " << old.records
              << " (ancienne version)" << std::endl;
    return true;
}
