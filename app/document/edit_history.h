#pragma once
// The undo history of the measuring document: every edit is a command whose redo() and
// undo() are exact inverses, with a text for the Edit menu ("Add intercept"). Commands are
// pushed after they were done. The history knows which of its states was last saved, so
// that undoing back to it leaves nothing unsaved.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace tesra {

class MeasuringDocument;

class EditCommand {
public:
    virtual ~EditCommand() = default;
    // Does the edit again after an undo, and takes it back; each leaves the document exactly
    // as the other found it.
    virtual void redo(MeasuringDocument& document) = 0;
    virtual void undo(MeasuringDocument& document) = 0;
    // What the Edit menu says after "Undo " and "Redo ".
    virtual std::string text() const = 0;
    // Commands of one kind of small edit share an id other than -1; a following command of
    // the same id may be taken into this one (dragging is one step, not fifty).
    virtual int id() const { return -1; }
    // Takes `next`, done right after this command, into this one; false when it cannot.
    virtual bool mergeWith(const EditCommand& /*next*/) { return false; }
    // Copies of the whole image the command keeps (image filters keep one).
    virtual int imageCopies() const { return 0; }
    // Bytes the command keeps beside its image copies.
    virtual std::size_t memoryUse() const = 0;
    // What the command changes, as MeasuringDocument's change flags.
    virtual unsigned changes() const = 0;
};

class EditHistory {
public:
    // At most this many image copies are kept; older image steps are forgotten together
    // with every step before them.
    static constexpr int kMaxImageCopies = 5;

    // Takes a command that has just been done; the steps that could be redone are dropped.
    void push(std::unique_ptr<EditCommand> command);

    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index < m_commands.size(); }
    // Texts of the step an undo or redo would take ("" when none).
    std::string undoText() const;
    std::string redoText() const;
    // Undoes or redoes one step; returns its changes (0 when there was none).
    unsigned undo(MeasuringDocument& document);
    unsigned redo(MeasuringDocument& document);

    // The image steps that can be undone (the copies the image undo button counts).
    int imageSteps() const;
    // Undoes the newest image step that can be undone, wherever it stands, and forgets it:
    // image steps touch only the pixels, measurement steps never read them, so the two kinds
    // of step can be taken back in either order. Also drops the steps that could be redone.
    // False when there is no image step.
    bool undoNewestImageStep(MeasuringDocument& document);

    // The current state is the saved one; isClean() until the next edit, or again when undo
    // and redo come back to it.
    void setClean() { m_clean = static_cast<long long>(m_index); }
    bool isClean() const { return m_clean == static_cast<long long>(m_index); }

    // Forgets every step (a new image was opened); the empty state counts as saved.
    void clear();

    std::size_t count() const { return m_commands.size(); }
    std::size_t index() const { return m_index; }
    std::size_t memoryUse() const;

private:
    void dropRedoSteps();
    void limitImageCopies();

    std::vector<std::unique_ptr<EditCommand>> m_commands;
    std::size_t m_index = 0;    // commands [0, m_index) are done
    long long m_clean = 0;      // the saved state, -1 when it can no longer be reached
};

}  // namespace tesra
