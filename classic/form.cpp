#include "classic/form.h"

#include "classic/accessibility.h"
#include "classic/forms.h"
#include "db/errors.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace
{
constexpr double TwipsPerPixel = 15.0;

std::function<QMdiArea *()> &workspace()
{
    static std::function<QMdiArea *()> provider;
    return provider;
}

bool flag(const QWidget *w, const char *name, bool fallback)
{
    const QVariant v = w->property(name);
    return v.isValid() ? v.toBool() : fallback;
}

QString text(const QWidget *w, const char *name, const QString &fallback)
{
    const QVariant v = w->property(name);
    return v.isValid() ? v.toString() : fallback;
}
} // namespace

void Form::setWorkspace(std::function<QMdiArea *()> provider)
{
    workspace() = std::move(provider);
}

Form::~Form()
{
    Discard();
}

QWidget *Form::window() const
{
    if (m_sub)
        return m_sub;
    return m_client;
}

QString Form::Caption() const
{
    return window() ? window()->windowTitle() : QString();
}

void Form::setCaption(const QString &caption)
{
    if (!IsLoaded())
        return;
    m_client->setWindowTitle(caption);
    if (m_sub)
        m_sub->setWindowTitle(caption);
    // The caption names the current patient; a screen reader is told of it
    // (it reads no change of a window's name that Qt reports).
    if (!m_sub && m_client->isVisible())
        Announce(m_client, caption);
}

double Form::ScaleWidth() const
{
    return m_client ? m_client->width() * TwipsPerPixel : 0;
}
double Form::ScaleHeight() const
{
    return m_client ? m_client->height() * TwipsPerPixel : 0;
}

bool Form::load()
{
    std::unique_ptr<QWidget> built = build();
    const bool mdiChild = flag(built.get(), "MDIChild", true);
    const QString border = text(built.get(), "BorderStyle", "Sizable");
    const bool fixed = border != "Sizable";
    const QIcon icon(QStringLiteral(":/icons/handshake.ico"));
    built->setWindowIcon(icon);
    if (fixed)
        built->setFixedSize(built->size());
    // A child window opens only in the main window's workspace, which exists
    // only while that window is loaded.
    QMdiArea *area = mdiChild && workspace() ? workspace()() : nullptr;
    if (mdiChild && !area) {
        built.reset();
        teardown();
        throw merivex::Error(91, QStringLiteral("Object variable or With block variable not set"));
    }

    if (mdiChild) {
        Qt::WindowFlags flags = Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (flag(built.get(), "MinButton", true))
            flags |= Qt::WindowMinimizeButtonHint;
        if (flag(built.get(), "MaxButton", true))
            flags |= Qt::WindowMaximizeButtonHint;
        m_client = built.get();
        // The workspace maximizes a child that becomes active while the active
        // one is maximized. A fixed child keeps its designed size and leaves
        // the maximized one as it is: its activation switches that off before
        // the workspace reacts, as this handler is connected first.
        auto sub = std::make_unique<QMdiSubWindow>();
        sub->setWidget(built.release());
        AdoptedByChildWindow(m_client);
        connect(sub.get(), &QMdiSubWindow::aboutToActivate, area, [area, fixed] {
            area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, fixed);
        });
        m_sub = area->addSubWindow(sub.release(), flags);
        m_sub->setWindowIcon(icon);
        // Tab walks the window's controls; the frame itself is no stop.
        m_sub->setFocusPolicy(Qt::NoFocus);
        // A designer widget without layouts has no size hint: the frame is
        // fitted around its designed size instead.
        const QSize designed = m_client->size();
        const QSize minimum = m_client->minimumSize();
        m_client->setMinimumSize(designed);
        m_sub->adjustSize();
        m_client->setMinimumSize(minimum);
        m_sub->move(0, 0);
        m_sub->installEventFilter(this);
    } else {
        if (border == "FixedDialog")
            built->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                  Qt::WindowCloseButtonHint);
        if (text(built.get(), "StartUpPosition", "") == "CenterScreen") {
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            QRect frame(QPoint(), built->size());
            frame.moveCenter(screen.center());
            built->move(frame.topLeft());
        }
        m_client = built.release();
    }
    m_client->installEventFilter(this);
    m_reportedSize = QSize();
    m_firstShow = true;

    connectHandlers();
    if (!Guarded([this] { Form_Load(); })) {
        // A window whose load failed is not shown half-built.
        destroyWindow(true);
        return false;
    }
    return true;
}

void Form::Show()
{
    if (Forms::shuttingDown())
        return;
    if (!IsLoaded() && !load())
        return;
    QWidget *frame = window();
    const bool maximized = text(m_client, "WindowState", "Normal") == "Maximized";
    if (m_firstShow && maximized && m_sub) {
        // A child window that maximizes is shown, hidden and shown again, and
        // the focus would pass through its controls, which a screen reader
        // then does not read: they take the focus only once it stands.
        m_client->setEnabled(false);
        frame->showMaximized();
        m_client->setEnabled(true);
        if (QWidget *first = firstTabStop(m_client))
            first->setFocus(Qt::ActiveWindowFocusReason);
    } else if (m_firstShow && maximized) {
        frame->showMaximized();
    } else if (!frame->isVisible() || frame->isMinimized())
        frame->showNormal();
    m_firstShow = false;
    frame->raise();
    if (m_sub)
        m_sub->mdiArea()->setActiveSubWindow(m_sub);
    else
        frame->activateWindow();
}

bool Form::unloadConfirmed()
{
    int cancel = 0;
    Guarded([&] { Form_Unload(cancel); });
    return cancel == 0;
}

void Form::Unload()
{
    if (IsLoaded() && unloadConfirmed())
        destroyWindow(true);
}

void Form::destroyWindow(bool deferred)
{
    QPointer<QWidget> frame = window();
    QPointer<QMdiArea> area = m_sub ? m_sub->mdiArea() : nullptr;
    m_client.clear();
    m_sub.clear();
    teardown();
    if (!frame)
        return;
    frame->removeEventFilter(this);
    if (deferred) {
        // The caller may be a handler of a control inside this window.
        frame->hide();
        frame->deleteLater();
    } else {
        delete frame.data();
    }
    if (area && !Forms::shuttingDown())
        QTimer::singleShot(0, area, [area] { focusMainWindow(area); });
}

QWidget *Form::firstTabStop(QWidget *within)
{
    for (QWidget *w = within->nextInFocusChain(); w && w != within; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled() &&
            within->isAncestorOf(w))
            return w;
    }
    return nullptr;
}

void Form::focusMainWindow(QMdiArea *area)
{
    // The workspace brings the next child window forward, with its focus.
    QMdiSubWindow *next = area->activeSubWindow();
    if (next && next->isVisible())
        return;
    // Without one the focus would be on nothing: it goes to the main window's
    // first Tab stop.
    QWidget *top = area->window();
    for (QWidget *w = top->nextInFocusChain(); w && w != top; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled() && w != area &&
            !area->isAncestorOf(w)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void Form::Discard()
{
    if (IsLoaded())
        destroyWindow(false);
}

void Form::Terminate()
{
    Discard();
    Guarded([this] { Form_Terminate(); });
}

bool Form::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close && watched == window()) {
        if (unloadConfirmed())
            destroyWindow(true);
        else
            event->ignore();
        return true;
    }
    if (event->type() == QEvent::Resize && watched == m_client) {
        const QSize size = m_client->size();
        if (size != m_reportedSize) {
            m_reportedSize = size;
            Guarded([this] { Form_Resize(); });
        }
    }
    return QObject::eventFilter(watched, event);
}
