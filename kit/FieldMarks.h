#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QLabel;
class QPushButton;
class QWidget;
class VrStrEdit;

namespace kva {

// What the mark of a field says; an empty toolTip means the text goes out as typed: no mark.
struct FieldNote {
    QString toolTip;
    QString preview; // the line under the field, for fields that have one
};

// Marks the fields of a page whose text will not arrive as typed: an icon at the field's end
// (no box) whose tooltip, also the field's, says why, and for some fields a line under the
// field with what will arrive. The page's "Nahradit diakritiku" button replaces the text of the
// marked fields with its plain form (kva::plainText: letters without diacritics, typographic
// quotes, dashes and the like as ASCII); it is shown only while pressing it would change some
// marked field. Nothing is ever replaced unless the user asks. Marks and the button follow
// every change of a field's text.
class FieldMarks : public QObject {
    Q_OBJECT
public:
    using Check = std::function<FieldNote(const QString& text)>;
    // The plain form of a field's text that keeps within `lengthLimit` characters (0: any).
    using Replace = std::function<QString(const QString& text, int lengthLimit)>;
    FieldMarks(Check check, QWidget* page, Replace replace = {});

    // Watches `field` from now on. With withPreview, returns its preview line (hidden) for the
    // page to place under the field; otherwise nullptr.
    QLabel* addField(VrStrEdit* field, bool withPreview);

    QPushButton* replaceButton() const { return button_; } // the page places it
    bool isMarked(const VrStrEdit* field) const;
    void replaceDiacritics();

private:
    struct Watched {
        VrStrEdit* field = nullptr;
        QLabel* preview = nullptr;
        QAction* mark = nullptr;
        QString ownToolTip;
        bool marked = false;
        QString replacement; // what the button would make of a marked field; empty: nothing
    };
    void update(Watched& w);
    void updateButton();
    QString replacementOf(const Watched& w) const;

    Check check_;
    Replace replace_;
    QPushButton* button_ = nullptr;
    std::vector<Watched> fields_;
};

} // namespace kva
