#include "util/page_storage.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// The bodies below are JavaScript, which clang-format would take apart.
// clang-format off
// Mounts the page's storage on `folder` and reads in what it holds, and
// listens for the files the page's other tabs store, to read them in too.
// When the browser refuses its storage (site data blocked, a private mode, a
// storage error), the folder stays a plain one in memory, for this visit.
EM_ASYNC_JS(int, mountStorage, (const char* folder), {
    const path = UTF8ToString(folder);
    FS.mkdirTree(path);
    try {
        FS.mount(IDBFS, {}, path);
    } catch (error) {
        console.warn("MOSSLANCE Hero : stockage indisponible (" + error + ")");
        return 0;
    }
    const error = await new Promise(resolve => FS.syncfs(true, resolve));
    if (error) {
        console.warn("MOSSLANCE Hero : lecture du stockage impossible (" + error + ")");
        FS.unmount(path);
        return 0;
    }
    // The file's key in the storage and the store it lives in; null for a
    // file outside the storage's folders.
    Module.storageKey = file => {
        try {
            const folder = FS.lookupPath(PATH.dirname(file)).path;
            const node = FS.lookupPath(folder).node;
            if (node.mount.type !== IDBFS) {
                return null;
            }
            return { key: PATH.join2(folder, PATH.basename(file)), mount: node.mount.mountpoint };
        } catch (error) {
            return null;
        }
    };
    // Runs `use` on the storage's file store in one transaction of `mode`;
    // resolves to whether the transaction completed.
    Module.withFileStore = (mount, mode, use) => new Promise(resolve => {
        IDBFS.getDB(mount, (error, db) => {
            if (error) {
                resolve(false);
                return;
            }
            let transaction;
            try {
                transaction = db.transaction([IDBFS.DB_STORE_NAME], mode);
            } catch (error) {
                resolve(false);
                return;
            }
            transaction.oncomplete = () => resolve(true);
            transaction.onerror = event => event.preventDefault();
            transaction.onabort = () => resolve(false);
            use(transaction.objectStore(IDBFS.DB_STORE_NAME));
        });
    });
    // Puts the stored file at `key` in memory, or removes it from memory
    // when the storage holds none.
    Module.readInStored = (mount, key) => Module.withFileStore(mount, "readonly", store => {
        const request = store.get(key);
        request.onsuccess = () => {
            const entry = request.result;
            if (entry && FS.isFile(entry.mode)) {
                IDBFS.storeLocalEntry(key, entry, () => {});
            } else if (!entry) {
                IDBFS.removeLocalEntry(key, () => {});
            }
        };
    });
    if (typeof BroadcastChannel === "function") {
        Module.storageChannel = new BroadcastChannel("mosslance-hero-save");
        Module.storageChannel.onmessage = message => {
            for (const file of message.data) {
                const place = Module.storageKey(file);
                if (place) {
                    Module.readInStored(place.mount, place.key);
                }
            }
        };
    }
    return 1;
});

EM_JS(void, tellStorageRefused, (), {
    if (Module.onStorageRefused) {
        Module.onStorageRefused();
    }
});

EM_JS(void, beginStorageBatch, (), {
    Module.storageBatch = [];
});

// Stores `file` (or, for null, the files of the open batch) in one
// transaction, and tells the other tabs which files changed.
EM_ASYNC_JS(int, storeInStorage, (const char* file), {
    if (file && Module.storageBatch) {
        Module.storageBatch.push(UTF8ToString(file));
        return 1;
    }
    const files = file ? [UTF8ToString(file)] : Module.storageBatch || [];
    Module.storageBatch = null;
    const places = Module.storageKey ? files.map(Module.storageKey).filter(place => place) : [];
    if (places.length === 0) {
        return 1;
    }
    const stored = await Module.withFileStore(places[0].mount, "readwrite", store => {
        for (const place of places) {
            IDBFS.loadLocalEntry(place.key, (error, entry) => {
                if (error) {
                    store.delete(place.key);
                } else {
                    store.put(entry, place.key);
                }
            });
        }
    });
    if (!stored) {
        console.error("MOSSLANCE Hero : écriture du stockage impossible");
        return 0;
    }
    if (Module.storageChannel) {
        Module.storageChannel.postMessage(places.map(place => place.key));
    }
    return 1;
});

EM_ASYNC_JS(void, readInFromStorage, (const char* file), {
    const place = Module.storageKey ? Module.storageKey(UTF8ToString(file)) : null;
    if (place) {
        await Module.readInStored(place.mount, place.key);
    }
});
// clang-format on

bool mountPageStorage(const std::string& folder) {
    if (mountStorage(folder.c_str()) == 0) {
        tellStorageRefused();
        return false;
    }
    return true;
}

bool keepInPageStorage(const std::string& path) {
    if (storeInStorage(path.c_str()) == 0) {
        tellStorageRefused();
        return false;
    }
    return true;
}

void refreshFromPageStorage(const std::string& path) {
    readInFromStorage(path.c_str());
}

StorageTransaction::StorageTransaction() {
    beginStorageBatch();
}

bool StorageTransaction::commit() {
    if (!open_) {
        return true;
    }
    open_ = false;
    if (storeInStorage(nullptr) == 0) {
        tellStorageRefused();
        return false;
    }
    return true;
}

#else

bool mountPageStorage(const std::string&) {
    return true;
}

bool keepInPageStorage(const std::string&) {
    return true;
}

void refreshFromPageStorage(const std::string&) {}

StorageTransaction::StorageTransaction() = default;

bool StorageTransaction::commit() {
    open_ = false;
    return true;
}

#endif

StorageTransaction::~StorageTransaction() {
    commit();
}
