#pragma once
// Base of the port component: a named component (QObject; Name() is the objectName) with the
// link to a data dispatcher, the abstract block write and the open/close hooks.
#include <QObject>

class TAfDataDispConnComponent : public QObject {
    Q_OBJECT
public:
    explicit TAfDataDispConnComponent(QObject* owner = nullptr);
    ~TAfDataDispConnComponent() override;

    QString Name() const { return objectName(); }
    void SetName(const QString& name) { setObjectName(name); }

    // No dispatcher class exists in this program; the link stays empty.
    QObject* Dispatcher() const { return nullptr; }

    virtual void WriteBlock(const char* data, int32_t count) = 0;
    // Hooks that would inform a dispatcher; they do nothing here.
    virtual void Close();
    virtual void Open();
};
