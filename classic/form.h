#pragma once
// A window of the application. The instance lives for the whole run; its
// window (the widgets built from the designer file) exists only while it is
// loaded. Showing loads it when needed and runs Form_Load; unloading closes it,
// so the next showing builds it afresh from the designer state.
//
// The designer file's root widget carries the window's frame in dynamic
// properties: "MDIChild" (bool, default true), "BorderStyle" ("Sizable",
// "FixedSingle" or "FixedDialog"), "MinButton" and "MaxButton" (bool, default
// true), "WindowState" ("Normal" or "Maximized").
#include "classic/msgbox.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <functional>
#include <memory>

class QMdiArea;
class QMdiSubWindow;

class Form : public QObject
{
    Q_OBJECT
public:
    ~Form() override;

    // The workspace child windows open in, handed over by the shell at start
    // (InitApplication), so the mechanism depends on no window.
    static void setWorkspace(std::function<QMdiArea *()> provider);

    void Show();
    void Unload();
    bool IsLoaded() const { return !m_client.isNull(); }

    // The designer widget: the window's client area.
    QWidget *client() const { return m_client; }
    // The frame the user moves and closes: the sub-window in the workspace, or
    // the client itself for a top-level window.
    QWidget *window() const;

    QString Caption() const;
    void setCaption(const QString &caption);

    // The stored data it shows have changed: a window that reads them once
    // per load reads them again. The others do nothing.
    virtual void Requery() {}

    // Inner size of the window in twips.
    double ScaleWidth() const;
    double ScaleHeight() const;

    // The instance goes away: the window, if loaded, is destroyed without
    // events. Form_Terminate is raised only by Terminate.
    void Discard();
    void Terminate();

protected:
    virtual std::unique_ptr<QWidget> build() = 0;
    // Releases what build() made; the base has nothing to release. A class
    // that overrides it discards its window in its own destructor, while the
    // override can still run.
    virtual void teardown() {}
    virtual void connectHandlers() {}

    virtual void Form_Load() {}
    virtual void Form_Resize() {}
    virtual void Form_Unload(int &cancel) { Q_UNUSED(cancel); }
    virtual void Form_Terminate() {}

    // Connects a control's signal to a handler whose failure is reported and
    // ends only that handler.
    template <class Sender, class Signal, class Handler>
    void on(Sender *sender, Signal signal, Handler handler)
    {
        QObject::connect(sender, signal, this, [handler] { Guarded(handler); });
    }

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool load();
    bool unloadConfirmed();
    void destroyWindow(bool deferred);
    static void focusMainWindow(QMdiArea *area);
    static QWidget *firstTabStop(QWidget *within);

    QPointer<QWidget> m_client;
    QPointer<QMdiSubWindow> m_sub;
    QSize m_reportedSize;
    bool m_firstShow = false;
};

// A window whose designer state comes from a Qt Designer form. Every member
// that may make or destroy the generated Ui (the constructor too) is defined
// out of the class, so a window may keep Ui incomplete in its header: it
// declares `extern template class DesignedForm<Ui::X, W>;` there and
// instantiates it in its .cpp, the one file that includes the generated header.
template <class Ui, class Widget> class DesignedForm : public Form
{
public:
    DesignedForm();
    ~DesignedForm() override;

protected:
    std::unique_ptr<QWidget> build() override;
    void teardown() override;

    std::unique_ptr<Ui> m_ui;
};

template <class Ui, class Widget> DesignedForm<Ui, Widget>::DesignedForm() = default;

template <class Ui, class Widget> DesignedForm<Ui, Widget>::~DesignedForm()
{
    Discard();
}

template <class Ui, class Widget> std::unique_ptr<QWidget> DesignedForm<Ui, Widget>::build()
{
    m_ui = std::make_unique<Ui>();
    auto widget = std::make_unique<Widget>();
    m_ui->setupUi(widget.get());
    return widget;
}

template <class Ui, class Widget> void DesignedForm<Ui, Widget>::teardown()
{
    m_ui.reset();
}
