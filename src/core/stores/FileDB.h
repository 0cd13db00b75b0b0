#pragma once

#include "core/stores/FileIdentity.h"

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Base of the text-file databases. It knows the file's full name, holds the stream while a load or
// a save runs, and shows the stores' own error boxes. A store never keeps a file open between
// operations.
class CFileDB
{
public:
    // The database directory (the profile value "path" written at start).
    using DirectoryProvider = std::function<std::string()>;
    // Shows a store's error box; an empty caption means the application name.
    using MessageSink = std::function<void(const std::string& text, const std::string& caption)>;

    // The points of a save at which the file can fail to be written.
    enum class SaveStep
    {
        Create, // creating the temporary file next to the database
        Write,  // all records handed to the stream, before it is flushed
        Flush,  // flushing the stream and syncing the temporary file to the disk
        Rename, // putting the temporary file in place of the database
    };
    // Test seam: asked at every step of a save with the database's full name; a non-zero result is
    // taken as the errno of a failure at that step.
    using SaveFault = std::function<int(SaveStep step, const std::string& path)>;

    static constexpr const char* kOutOfRange = "Out of range of the database !";
    static constexpr const char* kOutOfRangeCaption = "Fatal Error";
    static constexpr const char* kWrongDataType = "Wrong data type!!";
    static constexpr const char* kWrongDataTypeCaption = "Error";
    static constexpr const char* kErrorCaption = "Error";
    static constexpr const char* kWarningCaption = "Warning";
    // The reason a change is refused when another process holds the store's lock for too long.
    static constexpr const char* kBusyReason = "Another program is using it; try again.";

    static void SetDirectoryProvider(DirectoryProvider provider);
    static void SetMessageSink(MessageSink sink);
    static void SetSaveFault(SaveFault fault);
    static void MessageBox(const std::string& text, const std::string& caption = {});

    // While one lives, the stores' messages are held back; they are shown when it ends (by the
    // outer one when they nest). Lets a caller finish with what it loaded before a box runs the
    // event loop.
    class DeferredMessages
    {
    public:
        DeferredMessages();
        ~DeferredMessages();
        DeferredMessages(const DeferredMessages&) = delete;
        DeferredMessages& operator=(const DeferredMessages&) = delete;
        DeferredMessages(DeferredMessages&&) = delete;
        DeferredMessages& operator=(DeferredMessages&&) = delete;

    private:
        std::vector<std::pair<std::string, std::string>> m_messages;
        std::vector<std::pair<std::string, std::string>>* m_pOuter;
    };
    // The directory the stores live in; empty when no provider is set or the profile has no entry.
    static std::string DatabaseDirectory();

    // "Can't write <path> !!" and the reason on the next line.
    static std::string CannotWriteText(const std::string& path, int error);
    // "Can't read <path> !!" and the reason on the next line.
    static std::string CannotReadText(const std::string& path, int error);
    // "Can't write <path> !!" and "Another program is using it; try again." on the next line.
    static std::string BusyText(const std::string& path);

    CFileDB() = default;
    virtual ~CFileDB();
    CFileDB(const CFileDB&) = delete;
    CFileDB& operator=(const CFileDB&) = delete;
    CFileDB(CFileDB&&) = delete;
    CFileDB& operator=(CFileDB&&) = delete;

    void SetPath(const std::string& path);
    const std::string& GetPath() const { return m_strPath; }

    // Makes one change of the store under its exclusive lock (see CStoreLock): `change` reads the
    // file afresh, applies the change to what it read and saves, and returns whether the change is
    // in place. The lock is held only while `change` runs; the messages of the change are shown once
    // it is released. When another process holds the lock for more than two seconds `change` does
    // not run, the operator is told that the file is in use, and the result is false.
    bool Change(const std::function<bool()>& change);
    // Whether the last Change found the lock held by another process.
    bool WasBusy() const { return m_bBusy; }
    // The lock file of this store: the file a save replaces, with ".lock" added.
    std::string LockPath() const;
    // The file as the last successful save of this object left it.
    const FileIdentity& SavedIdentity() const { return m_saved; }
    // Mode 1 creates or truncates the file ("w+"); any other mode opens an existing file for reading
    // and update ("r+"). The stores' own Load and Save do not use it: they read the file in one go
    // and replace it atomically.
    bool Open(int mode);
    // Closes the stream if one is open; does nothing otherwise.
    void Close();

protected:
    // Sets the path to the database directory, the separator and `fileName`.
    explicit CFileDB(const char* fileName);

    enum class ReadResult
    {
        Read,       // the whole file is in `text`
        Missing,    // there is no such file
        Unreadable, // the file exists but could not be read; the operator has been told
    };
    // Reads the whole file into `text`.
    ReadResult ReadWhole(std::string& text);

    // Reads the whole file and hands it to `parse` as a stream. `parse` returns the offset at which
    // the reader stopped, or -1 when it read to the end. Unless only white space follows, what
    // follows from the line after the last thing read goes to `tail`, for the next save to write
    // back after the data: no save drops lines it did not understand.
    ReadResult ParseWhole(const std::function<long(std::FILE*)>& parse, std::string& tail);

    // Replaces the file with what `write` puts into the stream: the bytes go to a temporary file in
    // the same directory, which is flushed, synced and renamed over the file. `write` returns false
    // when the content is refused (it has told the operator); the file is then left as it is. Any
    // failure to write leaves the previous file intact and tells the operator which file and why.
    // `ownerOnly` creates the file readable and writable by its owner only. Returns true when the
    // new file is in place.
    bool WriteWhole(const std::function<bool(std::FILE*)>& write, bool ownerOnly = false);

    // Whether the store's file, and so its lock file, is to be readable by its owner only.
    virtual bool OwnerOnly() const { return false; }

    // Set by a load that found the file but could not read it: a save must not replace a file whose
    // records it never saw. Holds the errno of that read.
    int m_nUnreadable = 0;

private:
    std::FILE* m_pFile = nullptr;
    std::string m_strPath;
    FileIdentity m_saved;
    bool m_bBusy = false;
};
