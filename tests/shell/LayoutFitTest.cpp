// Every window and dialog of the program, offscreen, at the scale CTest gives it in
// QT_SCALE_FACTOR (100 %, 125 %, 150 %, 200 %): every visible text fits the widget that shows it,
// lines as high as the font's ascent and descent (the accents above capitals, the háček of "Č",
// lie within the ascent), and no widget reaches outside its parent or is squeezed below its
// fixed size (a frame cut off at the right or bottom).
#include "FindPhoneDialog.h"
#include "InfoWindows.h"
#include "TempDir.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"
#include "Unit6.h"
#include "VrStrEdit.h"
#include "alarm1.h"

#include <QAbstractScrollArea>
#include <algorithm>
#include <cmath>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// How high one line of `font` is drawn: the font's ascent and descent, each rounded up. The
// accents above capitals ("Č", "Ř") reach up to the ascent, which QFontMetrics rounds to whole
// pixels, often down: a widget just as high as QFontMetrics::height() can cut the háček off.
int lineHeight(const QFont& font, const QPaintDevice* device)
{
    const QFontMetricsF fm(font, const_cast<QPaintDevice*>(device));
    return static_cast<int>(std::ceil(fm.ascent()) + std::ceil(fm.descent()));
}

// What a line draws beyond QFontMetrics' ascent and descent: up to the font's own ascent and
// descent rounded up.
QMargins overhangOf(const QFont& font, const QPaintDevice* device)
{
    const QFontMetrics fm(font, device);
    const QFontMetricsF fmf(font, const_cast<QPaintDevice*>(device));
    return {0, static_cast<int>(std::ceil(fmf.ascent())) - fm.ascent(), 0,
            static_cast<int>(std::ceil(fmf.descent())) - fm.descent()};
}

// The room `text` needs in `font`: its widest line and the height of its lines, the last as high
// as lineHeight(). With `wrapWidth` > 0 the lines wrap at it.
QSize textNeeds(const QString& text, const QFont& font, const QPaintDevice* device, int wrapWidth)
{
    const QFontMetrics fm(font, device);
    int widest = 0;
    int lines = 0;
    for (const QString& paragraph : text.split(u'\n')) {
        QTextLayout layout(paragraph, font, const_cast<QPaintDevice*>(device));
        QTextOption option;
        option.setWrapMode(wrapWidth > 0 ? QTextOption::WordWrap : QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(wrapWidth > 0 ? wrapWidth : 1e6);
            widest = std::max(widest, static_cast<int>(std::ceil(line.naturalTextWidth())));
            ++lines;
        }
        layout.endLayout();
        lines += paragraph.isEmpty() ? 1 : 0;
    }
    return {widest, lines == 0 ? 0 : (lines - 1) * fm.lineSpacing() + lineHeight(font, device)};
}

// The widest line of `text` and how many lines it takes (wrapped at `wrapWidth` when > 0).
QSize textLines(const QString& text, const QFont& font, const QPaintDevice* device, int wrapWidth)
{
    int widest = 0;
    int lines = 0;
    for (const QString& paragraph : text.split(u'\n')) {
        QTextLayout layout(paragraph, font, const_cast<QPaintDevice*>(device));
        QTextOption option;
        option.setWrapMode(wrapWidth > 0 ? QTextOption::WordWrap : QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        int here = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(wrapWidth > 0 ? wrapWidth : 1e6);
            widest = std::max(widest, static_cast<int>(std::ceil(line.naturalTextWidth())));
            ++here;
        }
        layout.endLayout();
        lines += std::max(here, 1);
    }
    return {widest, lines};
}

QString where(const QWidget* w)
{
    QString path;
    for (const QWidget* p = w; p; p = p->parentWidget()) {
        QString name = QString::fromLatin1(p->metaObject()->className());
        if (!p->objectName().isEmpty())
            name += u'#' + p->objectName();
        if (const auto* label = qobject_cast<const QLabel*>(p); label && !label->text().isEmpty())
            name += QStringLiteral(" \"%1\"").arg(label->text().left(40));
        if (const auto* button = qobject_cast<const QAbstractButton*>(p); button && !button->text().isEmpty())
            name += QStringLiteral(" \"%1\"").arg(button->text());
        if (const auto* box = qobject_cast<const QGroupBox*>(p); box && !box->title().isEmpty())
            name += QStringLiteral(" \"%1\"").arg(box->title());
        path = path.isEmpty() ? name : name + QStringLiteral(" > ") + path;
        if (p->isWindow())
            break;
    }
    return path;
}

QString sizeText(QSize s)
{
    return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
}

// Collects what does not fit in one window as it is shown now.
class FitCheck {
public:
    void window(QWidget* top)
    {
        picture = top->grab().toImage();
        check(top);
        for (QWidget* w : top->findChildren<QWidget*>())
            if (w->isVisibleTo(top) && w->window() == top)
                check(w);
    }
    QStringList problems;

private:
    QImage picture; // the window as shown
    void fault(const QWidget* w, const QString& what) { problems.append(where(w) + QStringLiteral(": ") + what); }

    // A text shown in `room`: the whole of it, at the widget's font.
    void text(const QWidget* w, const QString& shown, QRect room, bool wraps, bool elides = false)
    {
        if (shown.isEmpty())
            return;
        const QSize needs = textNeeds(shown, w->font(), w, wraps ? room.width() : 0);
        if (needs.height() > room.height())
            fault(w, QStringLiteral("text %1 px high in %2 px").arg(needs.height()).arg(room.height()));
        if (!elides && needs.width() > room.width())
            fault(w, QStringLiteral("text %1 px wide in %2 px").arg(needs.width()).arg(room.width()));
    }

    void check(const QWidget* w)
    {
        placement(w);
        if (const auto* frame = qobject_cast<const QFrame*>(w))
            frameEdges(frame);
        if (const auto* label = qobject_cast<const QLabel*>(w))
            checkLabel(label);
        else if (const auto* push = qobject_cast<const QPushButton*>(w))
            checkButton(push, QStyle::SE_PushButtonContents, QStyle::CT_PushButton);
        else if (const auto* radio = qobject_cast<const QRadioButton*>(w))
            checkButton(radio, QStyle::SE_RadioButtonContents, QStyle::CT_RadioButton);
        else if (const auto* check = qobject_cast<const QCheckBox*>(w))
            checkButton(check, QStyle::SE_CheckBoxContents, QStyle::CT_CheckBox);
        else if (const auto* group = qobject_cast<const QGroupBox*>(w))
            checkGroup(group);
        else if (const auto* combo = qobject_cast<const QComboBox*>(w))
            checkCombo(combo);
        else if (const auto* tree = qobject_cast<const QTreeView*>(w))
            checkColumns(tree);
        else if (const auto* edit = qobject_cast<const QLineEdit*>(w))
            checkLineEdit(edit);
    }

    // Inside the parent (a scrolled view's contents excepted) and no smaller than its fixed size.
    void placement(const QWidget* w)
    {
        if (w->isWindow())
            return;
        const QWidget* parent = w->parentWidget();
        const auto* scroll = parent->parentWidget() ? qobject_cast<const QAbstractScrollArea*>(parent->parentWidget()) : nullptr;
        if (!(scroll && scroll->viewport() == parent) && !parent->rect().contains(w->geometry()))
            fault(w, QStringLiteral("at %1,%2 %3 reaches outside its parent's %4")
                         .arg(w->x()).arg(w->y()).arg(sizeText(w->size()), sizeText(parent->size())));
        if (w->width() < w->minimumWidth() || w->height() < w->minimumHeight())
            fault(w, QStringLiteral("%1, below its minimum %2").arg(sizeText(w->size()), sizeText(w->minimumSize())));
    }

    // A framed box shows all four edges: in the middle of each, some device pixel of the
    // frame's width differs from the pixels just outside the box. (A sunken panel draws its lower
    // and right edges in the light colour, which a light page swallows.)
    void frameEdges(const QFrame* frame)
    {
        if (frame->frameShape() != QFrame::Box && frame->frameShape() != QFrame::Panel &&
            frame->frameShape() != QFrame::WinPanel && frame->frameShape() != QFrame::StyledPanel)
            return;
        if (frame->frameWidth() == 0 || frame->isWindow() || frame->width() < 8 || frame->height() < 8)
            return;
        const qreal ratio = picture.devicePixelRatio();
        // At 125 % and 150 % the style's one-pixel frame lines fall between device pixels and are
        // drawn blended; only whole scales are held to this.
        if (ratio != std::floor(ratio))
            return;
        const QPoint origin = frame->mapTo(frame->window(), QPoint(0, 0));
        // The box in device pixels: [left, right) x [top, bottom).
        const int left = static_cast<int>(std::floor(origin.x() * ratio));
        const int top = static_cast<int>(std::floor(origin.y() * ratio));
        const int right = static_cast<int>(std::ceil((origin.x() + frame->width()) * ratio));
        const int bottom = static_cast<int>(std::ceil((origin.y() + frame->height()) * ratio));
        const int band = static_cast<int>(std::ceil(frame->frameWidth() * ratio));
        const int midX = (left + right) / 2;
        const int midY = (top + bottom) / 2;
        const struct {
            const char* name;
            QPoint outside;
            QPoint inward;
        } edges[] = {{"left", {left - 2, midY}, {1, 0}},
                     {"top", {midX, top - 2}, {0, 1}},
                     {"right", {right + 1, midY}, {-1, 0}},
                     {"bottom", {midX, bottom + 1}, {0, -1}}};
        for (const auto& e : edges) {
            if (!picture.rect().contains(e.outside))
                continue;
            const QColor o = picture.pixelColor(e.outside);
            int best = 0;
            // A frame line may fall on either device pixel at the box's boundary.
            for (int i = 1; i <= band + 1; ++i) {
                const QColor c = picture.pixelColor(e.outside + i * e.inward);
                best = std::max(best, std::abs(c.red() - o.red()) + std::abs(c.green() - o.green()) +
                                          std::abs(c.blue() - o.blue()));
            }
            if (best < 24)
                fault(frame, QStringLiteral("%1 edge of the frame not seen (beside %2)").arg(QString::fromLatin1(e.name), o.name()));
        }
    }

    // The lines of a label, as QFontMetrics lays them out, fit its contents rectangle; what the
    // accents draw above the ascent (and the descenders below the descent) lies within the label
    // as the label places its text.
    void checkLabel(const QLabel* label)
    {
        if (label->text().isEmpty())
            return;
        QString shown = label->text();
        const bool rich = label->textFormat() == Qt::RichText ||
                          (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(shown));
        if (rich) {
            QTextDocument doc;
            doc.setHtml(shown);
            shown = doc.toPlainText();
        }
        const int margin = label->margin();
        const QRect room = label->contentsRect().adjusted(margin, margin, -margin, -margin);
        // A label that may be narrower than its text draws it cut with "…" (the preview lines).
        const bool elides = label->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored;
        const QFontMetrics fm(label->font(), label);
        const QSize lines = textLines(shown, label->font(), label, label->wordWrap() ? room.width() : 0);
        if (!elides && lines.width() > room.width())
            fault(label, QStringLiteral("text %1 px wide in %2 px").arg(lines.width()).arg(room.width()));
        const int block = lines.height() * fm.lineSpacing() - fm.leading();
        if (block > room.height()) {
            fault(label, QStringLiteral("%1 lines %2 px high in %3 px").arg(lines.height()).arg(block).arg(room.height()));
            return;
        }
        const Qt::Alignment v = label->alignment() & Qt::AlignVertical_Mask;
        const int top = room.top() + (v & Qt::AlignTop ? 0 : v & Qt::AlignBottom ? room.height() - block : (room.height() - block) / 2);
        const QMargins overhang = overhangOf(label->font(), label);
        // Inside a frame the text must stay off the frame; otherwise it may use the whole label.
        const QRect limit = label->frameWidth() > 0 ? label->contentsRect() : label->rect();
        if (top - overhang.top() < limit.top())
            fault(label, QStringLiteral("accents above the text cut: %1 px above the label's top")
                             .arg(limit.top() - (top - overhang.top())));
        if (top + block + overhang.bottom() > limit.bottom() + 1)
            fault(label, QStringLiteral("descenders cut: %1 px below the label's bottom")
                             .arg(top + block + overhang.bottom() - limit.bottom() - 1));
    }

    void checkButton(const QAbstractButton* button, QStyle::SubElement contents, QStyle::ContentsType type)
    {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        const QRect room = button->style()->subElementRect(contents, &option, button);
        QString shown = option.text;
        shown.remove(u'&');
        int iconRoom = 0;
        if (!option.icon.isNull())
            iconRoom = option.iconSize.width() + 4;
        const QSize needs = textNeeds(shown, button->font(), button, 0);
        if (needs.height() > room.height())
            fault(button, QStringLiteral("text %1 px high in %2 px").arg(needs.height()).arg(room.height()));
        if (needs.width() + iconRoom > room.width())
            fault(button, QStringLiteral("text %1 px wide in %2 px").arg(needs.width() + iconRoom).arg(room.width()));
        Q_UNUSED(type);
    }

    void checkGroup(const QGroupBox* group)
    {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.lineWidth = 1;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title =
            group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
        if (!group->rect().contains(title))
            fault(group, QStringLiteral("title at %1,%2 %3 outside the box's %4")
                             .arg(title.x()).arg(title.y()).arg(sizeText(title.size()), sizeText(group->size())));
        text(group, group->title(), title, false);
    }

    void checkCombo(const QComboBox* combo)
    {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        option.currentText = combo->currentText();
        option.subControls = QStyle::SC_All;
        const QRect field =
            combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        // Every item, since any of them may be chosen.
        for (int i = 0; i < combo->count(); ++i)
            text(combo, combo->itemText(i), field, false);
    }

    void checkLineEdit(const QLineEdit* edit)
    {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
        const QRect room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
        if (lineHeight(edit->font(), edit) > room.height())
            fault(edit, QStringLiteral("line %1 px high in %2 px").arg(lineHeight(edit->font(), edit)).arg(room.height()));
    }

    // Every column but the last (which takes the rest of the view) as wide as its heading and
    // its items.
    void checkColumns(const QTreeView* tree)
    {
        const QHeaderView* header = tree->header();
        const int last = header->count() - 1;
        for (int c = 0; c < last; ++c) {
            if (header->isSectionHidden(c))
                continue;
            int needs = header->sectionSizeHint(c);
            QStyleOptionViewItem option;
            option.initFrom(tree);
            option.font = tree->font();
            for (int r = 0; r < tree->model()->rowCount(); ++r)
                needs = std::max(needs, tree->itemDelegate()->sizeHint(option, tree->model()->index(r, c)).width());
            if (tree->columnWidth(c) < needs)
                fault(tree, QStringLiteral("column %1 \"%2\" %3 px wide, needs %4")
                                .arg(c)
                                .arg(tree->model()->headerData(c, Qt::Horizontal).toString())
                                .arg(tree->columnWidth(c))
                                .arg(needs));
        }
        // The last column shows its widest text without scrolling.
        if (last >= 0 && !header->isSectionHidden(last)) {
            int needs = header->sectionSizeHint(last);
            QStyleOptionViewItem option;
            option.initFrom(tree);
            option.font = tree->font();
            for (int r = 0; r < tree->model()->rowCount(); ++r)
                needs = std::max(needs, tree->itemDelegate()->sizeHint(option, tree->model()->index(r, last)).width());
            const int room = tree->viewport()->width() - header->sectionViewportPosition(last);
            if (needs > room)
                fault(tree, QStringLiteral("last column \"%1\" needs %2 px, %3 px shown")
                                .arg(tree->model()->headerData(last, Qt::Horizontal).toString())
                                .arg(needs)
                                .arg(room));
        }
        if (header->isVisible() && header->height() < lineHeight(header->font(), header))
            fault(header, QStringLiteral("heading %1 px high, text %2").arg(header->height()).arg(lineHeight(header->font(), header)));
    }
};

QString scale()
{
    const QByteArray factor = qgetenv("QT_SCALE_FACTOR");
    return factor.isEmpty() ? QStringLiteral("1") : QString::fromLatin1(factor);
}

void expectFits(QWidget* window, const QString& what)
{
    QApplication::processEvents();
    FitCheck check;
    check.window(window);
    EXPECT_TRUE(check.problems.isEmpty()) << what.toStdString() << " at scale " << scale().toStdString() << ":\n  "
                                          << check.problems.join(QStringLiteral("\n  ")).toStdString();
}

class LayoutFit : public ::testing::Test {
protected:
    LayoutFit() { qputenv("XDG_CONFIG_HOME", dir.path("config").toLocal8Bit()); }
    TempDir dir;
};

} // namespace

TEST_F(LayoutFit, MainWindowWithEveryPage)
{
    TForm1 form1(dir.path("setting.ini"));
    TForm5* config = nullptr;
    TForm4* sms = nullptr;
    TForm6* numbers = nullptr;
    form1.FormCreate(TForm1::programPages([&](kva::SimLink& f) { return config = new TForm5(f); },
                                          [&](kva::SimLink& f) { return numbers = new TForm6(f); },
                                          [&](kva::SimLink& f) { return sms = new TForm4(f, form1.SmsCentreNumber); }),
                     TForm1::HiddenPages::Now);
    form1.show();
    ASSERT_TRUE(config && sms && numbers);

    // The longest the numbers of the configuration page get, and the page's busy state.
    config->StaticText1->setText(QStringLiteral("+000000000011"));
    config->StaticText2->setText(QStringLiteral("+000000092310"));
    config->VrLabel1->setText(QStringLiteral("Moment prosím, pracuji"));
    expectFits(&form1, QStringLiteral("Konfigurace"));

    // Marked texts: the marks, the preview lines and "Nahradit diakritiku" shown.
    form1.PageControl1->setCurrentIndex(1);
    numbers->VrStrEdit4->setText(QStringLiteral("Šárka Čermáková"));
    expectFits(&form1, QStringLiteral("Telefonní čísla"));
    form1.PageControl1->setCurrentIndex(2);
    sms->VrStrEdit2->setText(QStringLiteral("Poplach: Čidlo č. 1 – „sklep“"));
    ASSERT_FALSE(sms->ReplaceDiacritics->isHidden());
    expectFits(&form1, QStringLiteral("Úprava SMS"));
}

TEST_F(LayoutFit, AboutAndHelpWindows)
{
    TForm2 about;
    about.show();
    expectFits(&about, QStringLiteral("O programu"));
    TForm3 help;
    help.show();
    expectFits(&help, QStringLiteral("Nápověda"));
}

TEST_F(LayoutFit, PhoneFinderWithTriedDevices)
{
    class Devices : public kva::DeviceEnumerator {
    public:
        QList<kva::SerialDevice> devices() const override
        {
            kva::SerialDevice phone;
            phone.kernelPath = QStringLiteral("/dev/ttyACM0");
            phone.byIdPath = QStringLiteral("/dev/serial/by-id/usb-Simfon_SF-1_Mobile_Phone_0123456789-if00");
            phone.description = QStringLiteral("SF-1 Mobile Phone");
            phone.manufacturer = QStringLiteral("Simfon");
            phone.serialNumber = QStringLiteral("0123456789");
            phone.hasUsbIds = true;
            phone.vendorId = 0x1234;
            phone.productId = 0x5678;
            kva::SerialDevice builtIn;
            builtIn.kernelPath = QStringLiteral("/dev/ttyS0");
            return {phone, builtIn};
        }
    } devices;
    kva::FindPhoneDialog::Host host;
    host.enumerator = &devices;
    // Two COM names on the phone and one on a device that is gone: the longest states.
    host.comTargets = [] {
        const QString phone = QStringLiteral("/dev/serial/by-id/usb-Simfon_SF-1_Mobile_Phone_0123456789-if00");
        return QMap<int, kva::ComTarget>{{1, {phone, kva::MappingSource::PortsIni}},
                                         {2, {phone, kva::MappingSource::PortsIni}},
                                         {3, {QStringLiteral("/dev/ttyUSB7"), kva::MappingSource::PortsIni}}};
    };
    kva::FindPhoneDialog dialog(host);
    dialog.showAll->setChecked(true);
    dialog.status->setText(QStringLiteral("Zkouším /dev/serial/by-id/usb-Simfon_SF-1_Mobile_Phone_0123456789-if00…"));
    dialog.show();
    expectFits(&dialog, QStringLiteral("Najít telefon"));
}
