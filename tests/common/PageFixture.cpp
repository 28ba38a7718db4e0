#include "PageFixture.h"

#include "MessageBoxes.h"

#include <QAbstractButton>

PageFixture::PageFixture()
{
    kva::setMessageHook([this](const kva::MessageRecord& m) {
        shown << m.title + u'|' + m.text;
        return m.kind != kva::MessageRecord::Question || answerYes;
    });
}

PageFixture::~PageFixture()
{
    form.reset();
    kva::setMessageHook({});
    for (int n = 1; n <= 6; ++n)
        qunsetenv(QByteArray("KVA271_COM") + QByteArray::number(n));
}

void PageFixture::buildForm(const TForm1::Pages& pages)
{
    form = std::make_unique<TForm1>(dir.path("setting.ini"));
    form->FormCreate(pages);
}

qint64 PageFixture::clickAndWait(QAbstractButton* button, int ms)
{
    const qint64 start = nowMs();
    button->click();
    EXPECT_TRUE(waitIdle(ms));
    return nowMs() - start;
}
