#pragma once

namespace browse {

// Marks a change of the file selection made by code, for as long as the scope lasts, so the
// click handling is switched on again whatever way the scope is left.
class InAction {
public:
    explicit InAction(bool &flag) : m_flag(flag) { m_flag = true; }
    ~InAction() { m_flag = false; }
    InAction(const InAction &) = delete;
    InAction &operator=(const InAction &) = delete;

private:
    bool &m_flag;
};

} // namespace browse
