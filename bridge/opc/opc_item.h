// Item: one registered OPC item of a connection, and ItemTable, the records of a connection
// by their OPC client handles.
//
// The client handle given to the server for an item is a 32-bit number that leads straight to
// its record: the table numbers its records consecutively, so a handle is an index into the
// table's current run of records. Handles are never given out twice in the life of a table
// (a teardown starts the next run above the last handle given), so a call-back that arrives
// late with the handle of a deleted record finds nothing instead of another item.
//
// Call-backs come on the server's threads while the connection's worker registers and tears
// down items. Readers (call-backs, reads) hold a shared lock of the table for the whole batch
// they handle; adding records and the teardown take it exclusively, so a record is deleted only
// when no reader can still hold it. No lock of the table is held while the server is called.
// A record's value fields are guarded by the record's own lock.
#pragma once

#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "bridge/core/project_tree.h"
#include "platform/com/file_time.h"
#include "platform/com/variant.h"
#include "platform/opcda/opcda.h"

class ValuePushSink;

struct Item {
  Item(std::string itemId, CProjectTag& tag) : itemId(std::move(itemId)), tag(tag) {}
  virtual ~Item() { VariantClear(&value); }
  Item(const Item&) = delete;
  Item& operator=(const Item&) = delete;

  // Stores a value from the server (a copy of `newValue`).
  void Store(const VARIANT& newValue, WORD newQuality, const FILETIME& newTimeStamp);
  // Stores it and applies it to the tag's live value, which hands it to `push` (may be null).
  void StoreAndPublish(const VARIANT& newValue, WORD newQuality, const FILETIME& newTimeStamp,
                       ValuePushSink* push);

  const std::string itemId;
  OPCHANDLE serverHandle = 0;  // written by the worker before any reader finds the record
  CProjectTag& tag;

 private:
  std::mutex mutex_;
  VARIANT value{};
  WORD quality = 192;
  FILETIME timeStamp{};
};

class ItemTable {
 public:
  // A shared hold of the table: records found through it stay alive while it exists.
  class Reader {
   public:
    explicit Reader(const ItemTable& table) : table_(table), lock_(table.mutex_) {}
    // The record of `clientHandle`, or null when the handle names no live record.
    Item* Find(OPCHANDLE clientHandle) const;
    // True once the table was closed: its owner is going away.
    bool Closed() const { return table_.closed_; }

   private:
    const ItemTable& table_;
    std::shared_lock<std::shared_mutex> lock_;
  };

  // Creates the record of `tag`'s item and returns its client handle.
  OPCHANDLE Add(std::string itemId, CProjectTag& tag);
  // Deletes one record (an item the server refused); its handle is not given again.
  void Erase(OPCHANDLE clientHandle);
  // The server handles of all live records, in the order they were added.
  std::vector<OPCHANDLE> ServerHandles() const;
  // Deletes every record, after every reader has let go; the next records take new handles.
  void Clear();
  // Live records.
  std::size_t Size() const;
  // Deletes every record and finds none from now on; for the owner's end, while servers may
  // still call back.
  void Close();

 private:
  mutable std::shared_mutex mutex_;
  std::vector<std::unique_ptr<Item>> records_;  // records_[h - firstHandle_] for handle h
  OPCHANDLE firstHandle_ = 1;
  std::size_t live_ = 0;
  bool closed_ = false;
};
