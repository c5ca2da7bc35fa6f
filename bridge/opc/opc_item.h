// Item: one registered OPC item of a connection, and ItemTable, the records of a connection
// by their OPC client handles.
//
// The client handle given to the server for an item is a 32-bit number that leads straight to
// its record: the table numbers its records consecutively, so a handle is an index into the
// table's current run of records. Handles are never given out twice in the life of a table
// (a teardown starts the next run above the last handle given), so a call-back that arrives
// late with the handle of a deleted record finds nothing instead of another item.
//
// An Item keeps nothing that is kept elsewhere: what arrives for it goes straight to its tag's
// live value, the one place every reader looks, and the item's server handle stays in the
// connection's session of the tag. A record is one word, kept in one array, so a project of a
// hundred thousand items costs little memory and its call-backs few cache lines.
//
// Call-backs come on the server's threads while the connection's worker registers and tears
// down items. Readers (call-backs, reads) hold a shared lock of the table for the whole batch
// they handle; the worker's changes (adding and erasing records, the teardown) take it
// exclusively, so a record is changed, deleted or moved only when no reader holds it. No lock of
// the table is held while the server is called.
#pragma once

#include <vector>

#include "bridge/core/project_tree.h"
#include "common/mutex.h"
#include "platform/com/com_api.h"
#include "platform/opcda/opcda.h"

namespace tavrel {

class ValuePushSink;

struct Item {
  // Applies a value from the server to the tag's live value, which hands it to `push` (may be
  // null).
  void Publish(const VARIANT& value, WORD quality, const FILETIME& timeStamp,
               ValuePushSink* push) const {
    tag->liveValue.ApplyValue(value, quality, timeStamp, push);
  }

  ProjectTag* tag = nullptr;  // null once the record was erased
};

class ItemTable {
 public:
  // A shared hold of the table: records found through it stay in place while it exists.
  // Find and Closed read the table under that hold, which the analysis cannot follow through
  // the `table_` reference, so they are not analysed for locks.
  class Reader {
   public:
    explicit Reader(const ItemTable& table) : table_(table), lock_(table.mutex_) {}
    // The record of `clientHandle`, or null when the handle names no live record.
    const Item* Find(OPCHANDLE clientHandle) const NO_THREAD_SAFETY_ANALYSIS;
    // True once the table was closed: its owner is going away.
    bool Closed() const NO_THREAD_SAFETY_ANALYSIS { return table_.closed_; }

   private:
    const ItemTable& table_;
    ReaderLock lock_;
  };

  // Makes room for `count` records in the current run (the tags of a connection), so that
  // registering them does not grow the array step by step.
  void Reserve(std::size_t count);
  // Creates the record of `tag`'s item and returns its client handle.
  OPCHANDLE Add(ProjectTag& tag);
  // Deletes one record (an item the server refused); its handle is not given again.
  void Erase(OPCHANDLE clientHandle);
  // Deletes every record, after every reader has let go; the next records take new handles.
  void Clear();
  // Live records.
  std::size_t Size() const;
  // Deletes every record and finds none from now on; for the owner's end, while servers may
  // still call back.
  void Close();

 private:
  mutable SharedMutex mutex_;
  std::vector<Item> records_ GUARDED_BY(mutex_);  // records_[h - firstHandle_] for handle h
  OPCHANDLE firstHandle_ GUARDED_BY(mutex_) = 1;
  std::size_t live_ GUARDED_BY(mutex_) = 0;
  bool closed_ GUARDED_BY(mutex_) = false;
};

}  // namespace tavrel
