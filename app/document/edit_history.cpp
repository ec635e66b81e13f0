#include "app/document/edit_history.h"

namespace tesra {

void EditHistory::dropRedoSteps()
{
    if (m_clean > static_cast<long long>(m_index))
        m_clean = -1;
    m_commands.resize(m_index);
}

void EditHistory::push(std::unique_ptr<EditCommand> command)
{
    dropRedoSteps();
    if (m_index > 0) {
        EditCommand& top = *m_commands[m_index - 1];
        // A merge into the saved step would change what was saved.
        if (command->id() != -1 && top.id() == command->id() && m_clean != static_cast<long long>(m_index)
            && top.mergeWith(*command))
            return;
    }
    m_commands.push_back(std::move(command));
    ++m_index;
    limitImageCopies();
}

void EditHistory::limitImageCopies()
{
    int copies = 0;
    for (std::size_t i = m_commands.size(); i-- > 0;) {
        copies += m_commands[i]->imageCopies();
        if (copies <= kMaxImageCopies)
            continue;
        // Step i can no longer be undone: it and everything before it go.
        const std::size_t dropped = i + 1;
        m_commands.erase(m_commands.begin(), m_commands.begin() + static_cast<std::ptrdiff_t>(dropped));
        m_index -= dropped;
        m_clean = m_clean >= static_cast<long long>(dropped) ? m_clean - static_cast<long long>(dropped) : -1;
        return;
    }
}

std::string EditHistory::undoText() const
{
    return canUndo() ? m_commands[m_index - 1]->text() : std::string();
}

std::string EditHistory::redoText() const
{
    return canRedo() ? m_commands[m_index]->text() : std::string();
}

unsigned EditHistory::undo(MeasuringDocument& document)
{
    if (!canUndo())
        return 0;
    EditCommand& command = *m_commands[--m_index];
    command.undo(document);
    return command.changes();
}

unsigned EditHistory::redo(MeasuringDocument& document)
{
    if (!canRedo())
        return 0;
    EditCommand& command = *m_commands[m_index++];
    command.redo(document);
    return command.changes();
}

int EditHistory::imageSteps() const
{
    int steps = 0;
    for (std::size_t i = 0; i < m_index; ++i)
        steps += m_commands[i]->imageCopies() > 0 ? 1 : 0;
    return steps;
}

bool EditHistory::undoNewestImageStep(MeasuringDocument& document)
{
    for (std::size_t i = m_index; i-- > 0;) {
        if (m_commands[i]->imageCopies() == 0)
            continue;
        dropRedoSteps();
        m_commands[i]->undo(document);
        m_commands.erase(m_commands.begin() + static_cast<std::ptrdiff_t>(i));
        --m_index;
        // The states behind the step now lack it: the saved one among them is gone.
        if (m_clean > static_cast<long long>(i))
            m_clean = -1;
        return true;
    }
    return false;
}

void EditHistory::clear()
{
    m_commands.clear();
    m_index = 0;
    m_clean = 0;
}

std::size_t EditHistory::memoryUse() const
{
    std::size_t bytes = m_commands.capacity() * sizeof(m_commands[0]);
    for (const auto& command : m_commands)
        bytes += command->memoryUse();
    return bytes;
}

}  // namespace tesra
