#pragma once

// The modeless "Constants" palette: 52 check boxes, "A" to "Z" (ids 1002 to 1027) and "a" to
// "z" (ids 1028 to 1053), telling the kernel which single letters are constants. Exists only
// while a kernel runs; Escape hides it, the Constants command shows it again with its checks.
// A click reaches the kernel only while it is connected and idle; otherwise the box goes back
// to what it was.

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;

class ConstantsPalette final : public QDialog {
public:
    static constexpr int32_t kFirstId = 1002;
    static constexpr int32_t kLastId = 1053;

    explicit ConstantsPalette(QWidget* parent);

    // The letter of a box id, or 0 outside the range.
    static char LetterOfId(int32_t id);
    // The box id of a letter, or 0 for anything that is not an ASCII letter.
    static int32_t IdOfLetter(char letter);

    // Sets a letter's box; other characters are ignored.
    void SetLetterCheck(char letter, bool checked);
    bool IsLetterChecked(char letter) const;
    QCheckBox* Box(int32_t id) const;

private:
    void OnClicked(int32_t id, bool checked);

    std::array<QCheckBox*, kLastId - kFirstId + 1> m_boxes{};
};
