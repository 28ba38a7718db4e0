#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh folder per test with helpers to write and read raw bytes.
class TempDir {
public:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString root() const { return dir_.path(); }
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir dir_;
};
