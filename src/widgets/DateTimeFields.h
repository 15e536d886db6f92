#pragma once

#include <QDateEdit>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimeEdit>

// Date and time fields that take a date typed as it is written
// ("05.03.2027", "14:30"), as the pickers of the original program did.
// Qt's field moves on by itself once a section's digits are complete, and
// then took the separator typed next as a second move, so every later digit
// went one section too far; and a click left a bare cursor in a full
// section, where no digit fits. Here the separator after such a move is
// taken as typed, and a click selects the section under it.
template <typename Edit> class SectionTyping : public Edit {
public:
    explicit SectionTyping(QWidget* parent = nullptr)
        : Edit(parent) {
        this->lineEdit()->installEventFilter(this);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const QString text = event->text();
        const bool digit = text.size() == 1 && text.at(0).isDigit();
        if (m_movedOn && text.size() == 1 && text.at(0).isPrint() && !digit) {
            m_movedOn = false;
            event->accept();
            return;
        }
        const auto before = this->currentSection();
        Edit::keyPressEvent(event);
        m_movedOn = digit && this->currentSection() != before;
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == this->lineEdit() && event->type() == QEvent::MouseButtonRelease &&
            !this->lineEdit()->hasSelectedText()) {
            m_movedOn = false;
            this->setSelectedSection(this->currentSection());
        }
        return Edit::eventFilter(watched, event);
    }

private:
    bool m_movedOn = false;
};

class DateField : public SectionTyping<QDateEdit> {
public:
    using SectionTyping::SectionTyping;
};

class TimeField : public SectionTyping<QTimeEdit> {
public:
    using SectionTyping::SectionTyping;
};
