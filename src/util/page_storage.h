#pragma once

#include <string>

// The browser page's own storage (IndexedDB) behind the folders that must
// outlive the visit. Each file is kept there under its own key, and a write
// stores only the files it changed, so that two tabs of the page, each
// holding its own copy of the folder in memory, never erase or undo each
// other's files. On the desktop every function here does nothing and
// succeeds: the file system already keeps what is written.

// Mounts the page's storage on `folder` and reads in what it holds. False
// when the browser refuses its storage: the folder then stays in memory for
// the visit, and the page is told (Module.onStorageRefused).
bool mountPageStorage(const std::string& folder);

// Stores the file at `path` as it now is in memory (or its absence, when it
// is gone) in the page's storage, and tells the page's other tabs. Within a
// StorageTransaction the file waits for the transaction's end. False, the
// page told, when the storage refused it.
bool keepInPageStorage(const std::string& path);

// Reads the file at `path` in again from the page's storage, where another
// tab may have stored a newer one since this tab read it.
void refreshFromPageStorage(const std::string& path);

// The files kept while one lives reach the page's storage together in one
// storage transaction, at its end: a tab closed meanwhile keeps all of the
// old files or all of the new. Transactions do not nest.
class StorageTransaction {
  public:
    StorageTransaction();
    ~StorageTransaction();
    StorageTransaction(const StorageTransaction&) = delete;
    StorageTransaction& operator=(const StorageTransaction&) = delete;

    // Stores what was kept so far; false when the storage refused it.
    bool commit();

  private:
    bool open_ = true;
};
