#pragma once

// What a document window shows and keeps of its document until the document class arrives: its
// title and modified flag and the settings the view commands change (the base size, the larger
// equations flag, the window placement). A new document is "Untitled", numbered from 2 when
// several are open.

#include "document/Rect.h"

#include <QString>

#include <cstdint>
#include <functional>

class ShellDocument {
public:
    explicit ShellDocument(QString title) : m_title(std::move(title)) {}

    const QString& Title() const { return m_title; }
    // The title as the window shows it: "*" appended while modified.
    QString WindowTitle() const { return m_modified ? m_title + QLatin1Char('*') : m_title; }
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified) {
        const bool changed = modified != m_modified;
        m_modified = modified;
        if (changed && m_titleChanged) m_titleChanged();
    }
    // Called whenever the window title changes (the modified mark comes or goes).
    void SetTitleObserver(std::function<void()> observer) { m_titleChanged = std::move(observer); }

    uint8_t BaseSize() const { return m_baseSize; }
    void SetBaseSize(uint8_t size) { m_baseSize = size; }
    bool LargerEquations() const { return m_largerEquations; }
    void SetLargerEquations(bool larger) {
        m_largerEquations = larger;
        SetModifiedFlag(true);
    }
    // The frame's normal (restored) rectangle in its parent's client coordinates.
    const Rect& Placement() const { return m_placement; }
    void SetPlacement(const Rect& placement) { m_placement = placement; }

private:
    QString m_title;
    bool m_modified = false;
    uint8_t m_baseSize = 5;
    bool m_largerEquations = false;
    Rect m_placement{0, 0, 600, 480};
    std::function<void()> m_titleChanged;
};
