#pragma once

#include "IniFile.h"
#include "TestWindow.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

namespace oxeln::test {

// A fresh settings file folder and at most one open test window per test.
class StoreFixture
{
protected:
    static constexpr ScreenMetrics Screen1024{QSize(1024, 768), 96};

    void startFixture()
    {
        m_dir.emplace();
        m_path = m_dir->filePath(QStringLiteral("oxeln.ini"));
        m_log.clear();
    }

    void endFixture()
    {
        m_window.reset();
        m_dir.reset();
    }

    // Creates the window and shows it, which applies the stored settings. A
    // window still open is dropped without saving.
    TestWindow *open(ScreenMetrics screen = Screen1024)
    {
        if (m_window) {
            m_window->store->setActive(false);
            m_window.reset();
        }
        m_window = std::make_unique<TestWindow>(m_path, &m_log, screen);
        m_window->show();
        return m_window.get();
    }

    // Closes the window and destroys it, as at the end of the program.
    void closeWindow()
    {
        m_window->close();
        m_window.reset();
    }

    void put(const QByteArray &content) const
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QByteArray bytes() const
    {
        QFile file(m_path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString value(const QString &key) const
    {
        return TIniFile(m_path).readString(QStringLiteral("TForm1"), key, QStringLiteral("<absent>"));
    }

    // The keys of the section, in file order.
    QStringList keys() const
    {
        QStringList found;
        bool inSection = false;
        for (const QByteArray &line : bytes().split('\n')) {
            const QByteArray text = line.trimmed();
            if (text.startsWith('['))
                inSection = text.compare("[TForm1]", Qt::CaseInsensitive) == 0;
            else if (inSection && text.contains('='))
                found.append(QString::fromLatin1(text.left(text.indexOf('='))));
        }
        return found;
    }

    static QMargins frameMargins(const QWidget *window)
    {
        const QRect frame = window->frameGeometry();
        const QRect client = window->geometry();
        return {client.left() - frame.left(), client.top() - frame.top(),
                frame.right() - client.right(), frame.bottom() - client.bottom()};
    }

    // The outer rectangle the window has, or returns to, in the normal state.
    static QRect normalFrame(const QWidget *window)
    {
        return window->normalGeometry().marginsAdded(frameMargins(window));
    }

    // Where the window opens when no stored rectangle applies.
    static QRect designedFrame(const TestWindow *window)
    {
        return {window->designedPosition, window->designedSize.grownBy(frameMargins(window))};
    }

    // The rectangle of a "NormPos" text: left, top, right, bottom.
    static QRect fromEdges(int left, int top, int right, int bottom)
    {
        return {left, top, right - left, bottom - top};
    }

    static QString edges(const QRect &r)
    {
        return QStringLiteral("%1,%2,%3,%4")
            .arg(r.left())
            .arg(r.top())
            .arg(r.left() + r.width())
            .arg(r.top() + r.height());
    }

    QStringList errors() const { return m_log.filter(QStringLiteral("error: ")); }

    std::optional<QTemporaryDir> m_dir;
    QString m_path;
    QStringList m_log;
    std::unique_ptr<TestWindow> m_window;
};

} // namespace oxeln::test
