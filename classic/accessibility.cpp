#include "classic/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTimer>
#include <QWidget>
#include <cstdio>

// Qt 6.8 and later send announcements as such. Before, an empty widget whose
// accessible role is a notification stands in: it paints nothing, so showing
// it changes no pixel.
class Announcement : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};

namespace
{
constexpr int RetellDelayMs = 300;

class NotificationAccessible : public QAccessibleWidget
{
public:
    explicit NotificationAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Notification) {}
};

// A child window is a named panel of the main window.
class ChildWindowAccessible : public QAccessibleWidget
{
public:
    explicit ChildWindowAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Grouping) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return widget()->windowTitle();
        return QAccessibleWidget::text(t);
    }
};

// The client area inside a child window is nameless, as Qt before 6.8 has
// it: named after the window too, a screen reader takes the panel for mere
// layout (it has the name of its only child) and never reads the caption.
class ChildClientAccessible : public QAccessibleWidget
{
public:
    explicit ChildClientAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Client) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return widget()->accessibleName();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    // Qt's accessibility cache owns the interfaces.
    if (className == QLatin1String("Announcement"))
        return new NotificationAccessible(widget);
    if (className == QLatin1String("QMdiSubWindow"))
        return new ChildWindowAccessible(widget);
    if (className == QLatin1String("QWidget") && widget->parentWidget() &&
        widget->parentWidget()->inherits("QMdiSubWindow"))
        return new ChildClientAccessible(widget);
    return nullptr;
}

// A text box that gets the focus by Tab selects its text, and Qt reports that
// selection and the caret ahead of the focus itself; a screen reader that
// handles them late takes the box as focused already and never reads it. An
// empty box has nothing to select, so it takes the focus without that.
class QuietEmptyTextBoxes : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::FocusIn)
            return false;
        auto *box = qobject_cast<QLineEdit *>(watched);
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (!box || !box->text().isEmpty() ||
            (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason))
            return false;
        QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(box, &plain);
        return true;
    }
};

// Qt's table interface complains of the grids' corner, a child it does not
// count as its own, every time a screen reader asks for the corner's place.
QtMessageHandler previousHandler = nullptr;

void dropCornerComplaint(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg &&
        text.startsWith(QLatin1String("WARNING QAccessibleTable::indexOfChild Fix my children")))
        return;
    if (previousHandler)
        previousHandler(type, context, text);
    else
        std::fputs(qPrintable(qFormatLogMessage(type, context, text) + QLatin1Char('\n')), stderr);
}

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
constexpr char lastAnnouncementProperty[] = "merivexLastAnnouncement";
#else
Announcement *announcementOf(QWidget *near, bool create)
{
    if (!near)
        return nullptr;
    QWidget *top = near->window();
    auto *found = top->findChild<Announcement *>(QString(), Qt::FindDirectChildrenOnly);
    if (!found && create) {
        found = new Announcement(top); // owned by the window
        found->setGeometry(0, 0, 0, 0);
        found->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    return found;
}
#endif
} // namespace

void AdoptedByChildWindow(QWidget *client)
{
    // Its interface was made while it stood alone, and Qt keeps it.
    if (QAccessibleInterface *made = QAccessible::queryAccessibleInterface(client))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

void InstallAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        previousHandler = qInstallMessageHandler(dropCornerComplaint);
        if (QCoreApplication *app = QCoreApplication::instance())
            app->installEventFilter(new QuietEmptyTextBoxes(app));
        return true;
    }();
    Q_UNUSED(installed);
}

void Announce(QWidget *near, const QString &text)
{
    InstallAccessibility();
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (!near)
        return;
    near->window()->setProperty(lastAnnouncementProperty, text);
    QAccessibleAnnouncementEvent event(near, text);
    QAccessible::updateAccessibility(&event);
#else
    Announcement *announcement = announcementOf(near, true);
    if (!announcement)
        return;
    announcement->hide();
    announcement->setAccessibleName(text);
    announcement->show();
#endif
}

void RetellFocus(QWidget *focused)
{
    if (!focused || !QAccessible::isActive())
        return;
    QWidget *frame = focused->parentWidget();
    while (frame && frame->windowType() != Qt::SubWindow && !frame->isWindow())
        frame = frame->parentWidget();
    if (frame) {
        QAccessibleEvent away(frame, QAccessible::Focus);
        QAccessible::updateAccessibility(&away);
    }
    // A screen reader drops a focus event that a later one, queued with it,
    // overtakes; the control is told once the window has been read.
    QTimer::singleShot(RetellDelayMs, focused, [focused] {
        if (!focused->hasFocus())
            return;
        QAccessibleEvent back(focused, QAccessible::Focus);
        QAccessible::updateAccessibility(&back);
    });
}

QString LastAnnouncement(QWidget *near)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    return near ? near->window()->property(lastAnnouncementProperty).toString() : QString();
#else
    Announcement *announcement = announcementOf(near, false);
    return announcement ? announcement->accessibleName() : QString();
#endif
}

#include "accessibility.moc"
