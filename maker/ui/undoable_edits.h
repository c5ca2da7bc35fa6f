// The editor's edits as commands of Qt's undo stack (QUndoStack).
//
// An edit is made by the editor's own code, between the command's construction (which takes
// the state before) and Finish() (which takes the state after); the command is then pushed,
// and its first redo() does nothing, as the edit is made already (MadeEdit). undo() brings the
// state before back, redo() the state after, and both call `changed` so that the windows follow.
//
// TagsEdit covers a group's tags: which tags it holds in which order (delete, add, CSV import)
// and their fields (name, description, data type, direction: match, tag properties). Tags an
// edit takes out of the group must go through Remove(), never be destroyed, so that undo can
// put the same tags back; the command owns them while they are out. A command refers to its
// group by address: the editor clears the stack before it destroys a group or a server.
//
// FieldsEdit covers the fields of one server or group (its configuration dialog): two
// functions that set the fields before and after.
#pragma once

#include <QUndoCommand>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "maker/project/project_nodes.h"

namespace tavrel {

// A command pushed after its edit was made: the first redo() does nothing, later ones Redo().
class MadeEdit : public QUndoCommand {
 public:
  explicit MadeEdit(const QString& text) : QUndoCommand(text) {}
  void redo() final;

 protected:
  virtual void Redo() = 0;

 private:
  bool made_ = false;
};

class TagsEdit final : public MadeEdit {
 public:
  // Takes the order and fields of `group`'s tags before the edit.
  TagsEdit(const QString& text, GroupNode& group, std::function<void()> changed);
  ~TagsEdit() override;

  // Takes `tags` (or every tag) out of the group, in place of destroying them.
  void Remove(const std::unordered_set<const TagNode*>& tags);
  void RemoveAll();
  // Takes the state the edit left; call before pushing the command.
  void Finish();
  // After Finish(): whether the edit changed the tags or their fields.
  bool Changed() const { return !before_.empty() || !after_.empty() || !fieldChanges_.empty(); }

  void undo() override;

 private:
  void Redo() override;

  struct TagFields {
    std::string name;
    std::string desc;
    int vt = 0;
    int dir = 0;
  };
  struct FieldChange {
    TagNode* tag;
    TagFields before;
    TagFields after;
  };
  static TagFields FieldsOf(const TagNode& tag);
  static void SetFields(TagNode& tag, const TagFields& fields);
  // Makes the group hold exactly `order`, every other tag of the group or the command kept by
  // the command.
  void Arrange(const std::vector<TagNode*>& order);

  GroupNode& group_;
  std::function<void()> changed_;
  std::vector<TagNode*> before_;
  std::vector<TagNode*> after_;          // empty with before_ when the edit kept the order
  std::vector<TagFields> fieldsBefore_;  // by position in before_, until Finish()
  std::vector<FieldChange> fieldChanges_;
  std::vector<std::unique_ptr<TagNode>> outside_;  // the tags not in the group now
};

class FieldsEdit final : public MadeEdit {
 public:
  FieldsEdit(const QString& text, std::function<void()> setBefore, std::function<void()> setAfter)
      : MadeEdit(text), setBefore_(std::move(setBefore)), setAfter_(std::move(setAfter)) {}

  void undo() override { setBefore_(); }

 private:
  void Redo() override { setAfter_(); }

  std::function<void()> setBefore_;
  std::function<void()> setAfter_;
};

}  // namespace tavrel
