#include "InfoWidgets.h"
#include "InfoWindows.h"
#include "TempDir.h"
#include "Unit2.h"
#include "Unit3.h"
#include "alarm1.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

// Receives the addresses the link labels ask the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

bool hasMinMaxButtons(const QWidget& w)
{
    return w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
}

void hover(QWidget* w, bool in)
{
    if (in) {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(w, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(w, &leave);
    }
}

} // namespace

TEST(AboutWindow, HasItsCaptionSizeAndTexts)
{
    TForm2 about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("O programu"));
    EXPECT_EQ(about.size(), QSize(410, 375));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_FALSE(hasMinMaxButtons(about));
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.windowModality(), Qt::NonModal);
    EXPECT_EQ(about.Label3->text(), QStringLiteral("Pomůcka pro nastavení konfigurace"));
    EXPECT_EQ(about.Label4->text(), QStringLiteral("GSM alarmu - KVA271"));
    EXPECT_EQ(about.Label3->font().pixelSize(), 16);
    EXPECT_EQ(about.Label1->text(), QStringLiteral("Tento program vytvořil"));
    EXPECT_TRUE(about.Label1->font().bold());
    EXPECT_EQ(about.Label1->font().pixelSize(), 13);
    EXPECT_EQ(about.Label2->text(), QString(57, u'_'));
    EXPECT_EQ(about.Image1->size(), QSize(97, 121));
    EXPECT_EQ(about.Image1->pixmap().size(), QSize(100, 120));
    EXPECT_EQ(about.VrWebLabel1->toolTip(), QStringLiteral("Odkaz na internetovou stránku autora"));
    EXPECT_EQ(about.VrWebLabel1->width(), about.Panel1->width() - 2);
    EXPECT_EQ(about.VrWebLabel1->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(about.janRoundButton1->text(), QStringLiteral("OK"));
    EXPECT_EQ(about.janRoundButton1->width(), 92);
    EXPECT_EQ(about.janRoundButton1->font().pixelSize(), 16);
    EXPECT_TRUE(about.janRoundButton1->font().bold());
    EXPECT_EQ(about.janRoundButton1->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(about.VrScrollText1->text().startsWith(QStringLiteral("tým kva271-config")));
    // Centred on the desktop.
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((about.geometry().center() - centre).manhattanLength(), 2);
}

TEST(HelpWindow, HasItsCaptionSizeAndControls)
{
    TForm3 help;
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Jednoduchá nápověda"));
    EXPECT_EQ(help.size(), QSize(476, 395));
    EXPECT_EQ(help.minimumSize(), help.maximumSize());
    EXPECT_FALSE(hasMinMaxButtons(help));
    EXPECT_EQ(help.Memo1->size(), QSize(457, 289));
    EXPECT_EQ(help.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(help.Memo1->isReadOnly());
    EXPECT_EQ(help.VrWebLabel1->text(), QStringLiteral("Internetová stránka konstrukce KVA 271"));
    EXPECT_TRUE(help.VrWebLabel1->font().bold());
    EXPECT_TRUE(help.VrWebLabel1->font().underline());
    EXPECT_EQ(help.VrWebLabel1->font().pixelSize(), 16);
    EXPECT_EQ(help.Button1->text(), QStringLiteral("Zavřít"));
    EXPECT_EQ(help.Button1->cursor().shape(), Qt::PointingHandCursor);
}

TEST(InfoWindows, MenuItemsOpenOneWindowEachAndBringItToTheFront)
{
    TempDir dir;
    TForm1 form(dir.path("setting.ini"));
    form.FormCreate({});
    form.show();
    kva::createInfoWindows(form);
    // Made when first chosen: nothing to show before.
    EXPECT_TRUE(form.findChildren<TForm3*>().isEmpty());
    EXPECT_TRUE(form.findChildren<TForm2*>().isEmpty());

    form.Napoveda1->trigger();
    ASSERT_EQ(form.findChildren<TForm3*>().size(), 1);
    TForm3* help = form.findChildren<TForm3*>().front();
    EXPECT_EQ(help->parent(), &form);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(help));
    help->Memo1->setPlainText(QStringLiteral("poznámka"));
    form.Oaplikaci2->trigger();
    ASSERT_EQ(form.findChildren<TForm2*>().size(), 1);
    TForm2* about = form.findChildren<TForm2*>().front();
    EXPECT_TRUE(about->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(about));
    EXPECT_TRUE(help->isVisible()) << "not modal: the other window stays";

    form.Napoveda1->trigger(); // chosen again while open
    EXPECT_TRUE(QTest::qWaitForWindowActive(help));
    EXPECT_EQ(form.findChildren<TForm3*>().size(), 1);
    EXPECT_EQ(form.findChildren<TForm2*>().size(), 1);

    // Closed with its close box it is only hidden, and the menu shows the same window again.
    const QPointer<TForm2> kept = about;
    about->close();
    EXPECT_FALSE(about->isVisible());
    form.Oaplikaci2->trigger();
    ASSERT_FALSE(kept.isNull());
    EXPECT_TRUE(kept->isVisible());
    help->close();
    form.Napoveda1->trigger();
    EXPECT_EQ(form.findChildren<TForm3*>().front(), help);
    EXPECT_EQ(help->Memo1->toPlainText(), QStringLiteral("poznámka")) << "typed text stays for the run";
}

TEST(InfoWindows, ReportThemselvesAsWindowsToScreenReaders)
{
    TForm2 about;
    TForm3 help;
    for (QWidget* window : {static_cast<QWidget*>(&about), static_cast<QWidget*>(&help)}) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(window);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->role(), QAccessible::Window);
        EXPECT_EQ(a->text(QAccessible::Name), window->windowTitle());
    }
    // Their parts keep their own roles.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(help.Button1)->role(), QAccessible::Button);
}

TEST(InfoWindows, OkAndZavritOnlyHide)
{
    TForm2 about;
    TForm3 help;
    about.showAndRaise();
    help.showAndRaise();
    QTest::mouseClick(about.janRoundButton1, Qt::LeftButton, {}, about.janRoundButton1->rect().center());
    EXPECT_FALSE(about.isVisible());
    QTest::mouseClick(help.Button1, Qt::LeftButton);
    EXPECT_FALSE(help.isVisible());
    about.showAndRaise();
    EXPECT_TRUE(about.isVisible());
}

TEST(InfoWindows, RoundButtonIgnoresClicksOutsideItsEllipse)
{
    TForm2 about;
    about.showAndRaise();
    janRoundButton* ok = about.janRoundButton1;
    QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(ok->width() - 3, ok->height() - 3));
    EXPECT_TRUE(about.isVisible());
    QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(ok->width() / 2, 3)); // top of the ellipse
    EXPECT_FALSE(about.isVisible());
    EXPECT_FALSE(ok->mask().contains(QPoint(1, 1)));
    EXPECT_TRUE(ok->mask().contains(ok->rect().center()));
}

TEST(HelpWindow, TypedTextStaysWhenClosedAndShownAgain)
{
    TForm3 help;
    help.showAndRaise();
    help.Memo1->moveCursor(QTextCursor::End);
    QTest::keyClicks(help.Memo1, QStringLiteral("moje poznamka"));
    help.Button1Click();
    EXPECT_FALSE(help.isVisible());
    help.showAndRaise();
    EXPECT_TRUE(help.Memo1->toPlainText().endsWith(QStringLiteral(" moje poznamka")));
}

TEST(HelpWindow, TextMatchesLineByLine)
{
    // Each line exactly, blanks included.
    const QStringList expected = {
        QString(),
        QStringLiteral(" Tato pomůcka slouží pro přehledné nastavení parametrů a telefonních čísel u "),
        QStringLiteral("GSM alarmu KVA271 s možností uložení na SIM telefonu pomocí "),
        QStringLiteral("příslušného propojovacího kabelu."),
        QString(),
        QStringLiteral("Práce s aplikací \"Pomůcka pro nastavení\" má dvě varianty - "),
        QStringLiteral("a) Pokud vlastníte kabel k propojení telefonu s PC, je možné připojit telefon a "),
        QStringLiteral("veškeré nastavené parametry včetně telefonních čísel přenést do telefonu bez "),
        QStringLiteral("vnějšího zásahu. Rovněž je možné data načíst z telefonu, editovat a zpět uložit. "),
        QStringLiteral(" Pokud není telefon připojen k PC nebo nekomunikuje, je zobrazeno odpovídající "),
        QStringLiteral("hlášení."),
        QStringLiteral("Pro navázání komunikace telefonu s PC je třeba mít propojený mobilní telefon s"),
        QStringLiteral("PC. Pokud toto máte, zapněte telefon (s nabitou baterií) a v menu \"Port \""),
        QStringLiteral("zaškrtněte příslušný COM, ke kterému máte telefon připojen. Následně můžete již"),
        QStringLiteral("zkusit načíst data z telefonu. Pokud se i přes připojený zapnutý telefon zobrazí"),
        QStringLiteral("okno, že telefon nekomunikuje, je třeba zkusit opětně odeslat data."),
        QStringLiteral(" Jestliže stále neprobíhá komunikace, zkontrolujte připojení kabelu a mobilního"),
        QStringLiteral("telefonu, případně je možná závada v propojovacím kabelu."),
        QString(),
        QStringLiteral("b) Jestliže kabel k mobilnímu telefonu nevlastníte, je funkce \"Pomůcky pro "),
        QStringLiteral("nastavení\" omezená,  ale přesto usnadňuje zápis konfigurace alarmu na SIM"),
        QStringLiteral("telefonu. Zaškrtnutím u příslušných voleb v nastavení (a nastavením časů)"),
        QStringLiteral("si nastavíte požadované funkce a ručně uložíte vygenerovaná telefonní čísla"),
        QStringLiteral("(v dolní části aplikace) na správné pozice do telefonu (pátá a šestá pozice na SIM)."),
        QString(),
        QString(),
        QStringLiteral("Jestliže nechcete ukládat všechna čtyři telefonní čísla, je nutné nepoužitá "),
        QStringLiteral("čísla ! úplně ! vymazat (políčka musí být prázdná, mezera je také znak). Pozice"),
        QStringLiteral("číslo 7 slouží na uložení telefonního čísla, které bude voláno při povolené"),
        QStringLiteral("funkci \"udržení kreditu\" - více popisu na internetové stránce konstrukce."),
        QStringLiteral("Názvy telefonních čísel zadávejte bez diakritiky, jinak nebudou uložena ! "),
        QStringLiteral("Před zápisem parametrů na SIM mobilního telefonu musí být SIM prázdná - to "),
        QStringLiteral("znamená bez uložených odeslaných a přijatých SMS včetně telefonních čísel na "),
        QStringLiteral("pozici paměti SIM telefonu - 1 až 6 (netýká se při ukládání konfigurace,"),
        QStringLiteral("tel.čísla a SMS z PC kabelem do MT, před zápisem dojde ke"),
        QStringLiteral("smazání starých údajů)."),
        QString(),
        QStringLiteral(" "),
        QStringLiteral(" "),
        QStringLiteral(" "),
        QStringLiteral(" "),
        QStringLiteral(" "),
    };
    ASSERT_EQ(expected.size(), 42);
    TForm3 help;
    const QTextDocument* doc = help.Memo1->document();
    ASSERT_EQ(doc->blockCount(), 42);
    for (int i = 0; i < 42; ++i)
        EXPECT_EQ(doc->findBlockByNumber(i).text(), expected[i]) << "line " << i + 1;
}

TEST(LinkLabels, LeftClickOpensTheAddressOtherGesturesDoNot)
{
    UrlCatcher catcher;
    TForm2 about;
    TForm3 help;
    about.showAndRaise();
    help.showAndRaise();
    QTest::mouseClick(about.VrWebLabel1, Qt::LeftButton);
    QTest::mouseClick(help.VrWebLabel1, Qt::LeftButton);
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(catcher.opened[0], about.VrWebLabel1->url());
    EXPECT_EQ(catcher.opened[1], help.VrWebLabel1->url());
    EXPECT_NE(catcher.opened[0], catcher.opened[1]);
    EXPECT_EQ(catcher.opened[0].host(), QStringLiteral("example.org"));

    QTest::mouseClick(about.VrWebLabel1, Qt::RightButton);
    // Pressed over the label, released elsewhere: no click.
    QTest::mousePress(about.VrWebLabel1, Qt::LeftButton);
    QTest::mouseRelease(about.VrWebLabel1, Qt::LeftButton, {}, QPoint(-5, -5));
    EXPECT_EQ(catcher.opened.size(), 2);
}

TEST(LinkLabels, HoverChangesTheLook)
{
    TForm2 about;
    TForm3 help;
    VrWebLabel* maker = about.VrWebLabel1;
    EXPECT_EQ(maker->font().pixelSize(), 19);
    EXPECT_FALSE(maker->font().bold());
    EXPECT_EQ(maker->palette().color(QPalette::WindowText), QColor(Qt::blue));
    hover(maker, true);
    EXPECT_EQ(maker->font().pixelSize(), 21);
    EXPECT_TRUE(maker->font().bold());
    EXPECT_TRUE(maker->font().underline());
    EXPECT_EQ(maker->palette().color(QPalette::WindowText), QColor(Qt::blue));
    hover(maker, false);
    EXPECT_EQ(maker->font().pixelSize(), 19);

    VrWebLabel* device = help.VrWebLabel1;
    hover(device, true);
    EXPECT_EQ(device->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
    hover(device, false);
    EXPECT_EQ(device->palette().color(QPalette::WindowText), QColor(Qt::blue));
}

TEST(ScrollText, MovesLeftOnePixelPerStepAndRestartsFromTheRight)
{
    VrScrollText line;
    line.resize(200, 20);
    line.setText(QStringLiteral("abc"));
    EXPECT_EQ(line.textPosition(), 200);
    line.step();
    line.step();
    EXPECT_EQ(line.textPosition(), 198);
    const int textWidth = QFontMetrics(line.font()).horizontalAdvance(QStringLiteral("abc"));
    ASSERT_GT(textWidth, 0);
    for (int i = 2; i < 200 + textWidth - 1; ++i)
        line.step();
    EXPECT_EQ(line.textPosition(), 1 - textWidth) << "the last column of the text is still shown";
    line.step();
    EXPECT_EQ(line.textPosition(), 200);
}

TEST(ScrollText, RunsEveryFiveMillisecondsOnlyWhileShown)
{
    TForm2 about;
    VrScrollText* line = about.VrScrollText1;
    EXPECT_EQ(line->timer()->interval(), 5);
    EXPECT_FALSE(line->timer()->isActive());
    about.showAndRaise();
    EXPECT_TRUE(line->timer()->isActive());
    const int start = line->textPosition();
    QTest::qWait(60);
    EXPECT_LT(line->textPosition(), start);
    about.close();
    EXPECT_FALSE(line->timer()->isActive());
}

TEST(ScrollText, FadesFromTheBackgroundAtBothEdges)
{
    VrScrollText line;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(30);
    line.setFont(font);
    line.resize(300, 40);
    line.setBackgroundColour(Qt::white);
    line.setTextColour(Qt::black);
    line.setText(QString(80, QChar(0x2588))); // full blocks cover the whole width
    for (int i = 0; i < 320; ++i)
        line.step();
    ASSERT_LT(line.textPosition(), 0);
    const QImage shot = line.grab().toImage();
    const int y = 20;
    auto grey = [&](int x) { return qGray(shot.pixel(x, y)); };
    EXPECT_GT(grey(0), 240);
    EXPECT_GT(grey(299), 240);
    EXPECT_NEAR(grey(25), 128, 20);
    EXPECT_NEAR(grey(274), 128, 20);
    EXPECT_LT(grey(60), 15);
    EXPECT_LT(grey(150), 15);
    EXPECT_LT(grey(239), 15);
    EXPECT_GT(grey(10), grey(20));
    EXPECT_GT(grey(20), grey(40));
}

#include "InfoWindowsTest.moc"
