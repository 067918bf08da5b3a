// Drives the real viewer in the end-to-end tests and the no-display run, loaded into it as a
// Qt generic plugin (QT_QPA_GENERIC_PLUGINS=pyrndriver); the program itself has no hooks.
//
// Every window that is shown or hidden is told on standard output as it happens:
//   "event shown <class>\t<object name>\t<title>"   "event hidden <class>\t<object name>"
// Commands come one per line on standard input; each is answered by "data ..." lines and then
// "ok" or "error <why>". Queries answer at once; actions ("click", "key", ...) are answered
// "ok" when queued and run from the event loop right after, since they may open a modal
// window that only a later command closes.
//
// A widget is named by a path of steps separated by "/": an object name, "@Class" (the first
// visible descendant of that class), "modal" (the active modal window) or "main" (the main
// window). The first step searches every top-level window, visible ones first.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QGenericPlugin>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

void Print(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QString Describe(const QWidget* widget)
{
    return QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char('\t') +
           widget->objectName();
}

bool Matches(const QWidget* widget, const QString& step)
{
    return step.startsWith(QLatin1Char('@')) ? widget->inherits(step.mid(1).toLatin1().constData())
                                             : widget->objectName() == step;
}

// The first match among `candidates` and their descendants, visible ones first.
QWidget* FindIn(const QWidgetList& candidates, const QString& step)
{
    for (const bool visibleOnly : {true, false}) {
        for (QWidget* top : candidates) {
            if (Matches(top, step) && (!visibleOnly || top->isVisible())) {
                return top;
            }
            for (QWidget* child : top->findChildren<QWidget*>()) {
                if (Matches(child, step) && (!visibleOnly || child->isVisible())) {
                    return child;
                }
            }
        }
    }
    return nullptr;
}

QWidget* MainWindow()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(top) != nullptr && top->parentWidget() == nullptr) {
            return top;
        }
    }
    return nullptr;
}

QWidget* Resolve(const QString& path)
{
    QWidget* current = nullptr;
    const QStringList steps = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QString& step = steps[i];
        if (i == 0 && step == QLatin1String("modal")) {
            current = QApplication::activeModalWidget();
        } else if (i == 0 && step == QLatin1String("main")) {
            current = MainWindow();
        } else {
            QWidgetList candidates;
            if (current != nullptr) {
                candidates = current->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            } else {
                candidates = QApplication::topLevelWidgets();
            }
            current = FindIn(candidates, step);
        }
        if (current == nullptr) {
            return nullptr;
        }
    }
    return current;
}

QAction* FindAction(const QString& name)
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* action = top->findChild<QAction*>(name)) {
            return action;
        }
    }
    return nullptr;
}

QString TextOf(QWidget* widget)
{
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return edit->text();
    }
    return widget->windowTitle();
}

QString OneLine(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
}

// The middle of `column`'s header section, in the header's coordinates.
QPoint SectionCentre(QHeaderView* header, int column)
{
    return QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
}

class Driver : public QObject
{
public:
    // Listens once the application's event loop machinery exists.
    void Listen()
    {
        m_input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(m_input, &QSocketNotifier::activated, this, &Driver::ReadInput);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::Show && type != QEvent::Hide) {
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr || !widget->isWindow() || event->spontaneous()) {
            return false;
        }
        if (type == QEvent::Show) {
            Print(QStringLiteral("event shown ") + Describe(widget) + QLatin1Char('\t') +
                  OneLine(widget->windowTitle()));
        } else {
            Print(QStringLiteral("event hidden ") + Describe(widget));
        }
        return false;
    }

private:
    void ReadInput()
    {
        char buffer[4096];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            // The tests are gone: nobody will answer another window.
            m_input->setEnabled(false);
            return;
        }
        m_pending.append(buffer, static_cast<qsizetype>(got));
        qsizetype end = 0;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(m_pending.left(end));
            m_pending.remove(0, end + 1);
            Handle(line);
        }
    }

    void Handle(const QString& line)
    {
        QStringList words = line.split(QLatin1Char('\t'));
        if (words.size() == 1) {
            words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        }
        if (words.isEmpty()) {
            return;
        }
        const QString command = words.takeFirst();
        QString failure;
        if (!Query(command, words, failure) && failure.isEmpty() &&
            !Action(command, words, failure) && failure.isEmpty()) {
            failure = QStringLiteral("unknown command ") + command;
        }
        Print(failure.isEmpty() ? QStringLiteral("ok") : QStringLiteral("error ") + failure);
    }

    // Answers at once; false when `command` is no query.
    bool Query(const QString& command, const QStringList& args, QString& failure)
    {
        if (command == QLatin1String("windows")) {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->isVisible()) {
                    Print(QStringLiteral("data ") + Describe(top) + QLatin1Char('\t') +
                          OneLine(top->windowTitle()));
                }
            }
            return true;
        }
        static const QStringList kWidgetQueries = {"find",   "text",     "rows", "cell", "header",
                                                   "scroll", "children", "grab", "winid"};
        if (!kWidgetQueries.contains(command)) {
            return false;
        }
        QWidget* widget = args.isEmpty() ? nullptr : Resolve(args[0]);
        if (widget == nullptr) {
            failure = QStringLiteral("no widget");
            return true;
        }
        auto* view = qobject_cast<QAbstractItemView*>(widget);
        if (command == QLatin1String("find")) {
            const QRect shown(widget->mapToGlobal(QPoint(0, 0)), widget->size());
            Print(QStringLiteral("data %1 visible=%2 enabled=%3 %4 %5 %6 %7")
                      .arg(Describe(widget))
                      .arg(widget->isVisible())
                      .arg(widget->isEnabled())
                      .arg(shown.x())
                      .arg(shown.y())
                      .arg(shown.width())
                      .arg(shown.height()));
        } else if (command == QLatin1String("text")) {
            Print(QStringLiteral("data ") + OneLine(TextOf(widget)));
        } else if (command == QLatin1String("winid")) {
            Print(QStringLiteral("data 0x%1").arg(widget->window()->winId(), 0, 16));
        } else if (command == QLatin1String("grab")) {
            if (args.size() < 2 || !widget->grab().save(args[1])) {
                failure = QStringLiteral("not saved");
            }
        } else if (command == QLatin1String("children")) {
            const QString step = args.value(1, QStringLiteral("@QWidget"));
            int index = 0;
            for (QWidget* child : widget->findChildren<QWidget*>()) {
                if (child->isVisible() && Matches(child, step)) {
                    const QRect area(child->mapTo(widget, QPoint(0, 0)), child->size());
                    Print(QStringLiteral("data %1 %2 %3 %4 %5 %6")
                              .arg(index++)
                              .arg(Describe(child))
                              .arg(area.x())
                              .arg(area.y())
                              .arg(area.width())
                              .arg(area.height()));
                }
            }
        } else if (command == QLatin1String("scroll")) {
            auto* area = qobject_cast<QAbstractScrollArea*>(widget);
            if (area == nullptr) {
                failure = QStringLiteral("no scroll area");
            } else {
                Print(QStringLiteral("data %1 %2")
                          .arg(area->horizontalScrollBar()->maximum())
                          .arg(area->verticalScrollBar()->maximum()));
            }
        } else if (view == nullptr || view->model() == nullptr) {
            failure = QStringLiteral("no item view");
        } else if (command == QLatin1String("rows")) {
            Print(QStringLiteral("data %1").arg(view->model()->rowCount()));
        } else if (command == QLatin1String("cell")) {
            const QModelIndex index =
                view->model()->index(args.value(1).toInt(), args.value(2).toInt());
            Print(QStringLiteral("data ") + OneLine(index.data().toString()));
        } else {
            const int column = args.value(1).toInt();
            auto* table = qobject_cast<QTableView*>(view);
            QHeaderView* header = table ? table->horizontalHeader() : nullptr;
            const bool arrow = header != nullptr && header->isSortIndicatorShown() &&
                               header->sortIndicatorSection() == column;
            const QString order = !arrow ? QStringLiteral("none")
                                         : (header->sortIndicatorOrder() == Qt::AscendingOrder
                                                ? QStringLiteral("up")
                                                : QStringLiteral("down"));
            const bool icon =
                !view->model()->headerData(column, Qt::Horizontal, Qt::DecorationRole).isNull();
            Print(QStringLiteral("data %1 icon=%2 ").arg(order).arg(icon) +
                  view->model()->headerData(column, Qt::Horizontal).toString());
        }
        return true;
    }

    // Queued; false when `command` is no action.
    bool Action(const QString& command, const QStringList& args, QString& failure)
    {
        std::function<void()> work;
        if (command == QLatin1String("trigger")) {
            QAction* action = FindAction(args.value(0));
            if (action == nullptr) {
                failure = QStringLiteral("no action");
                return true;
            }
            work = [action] { action->trigger(); };
        } else if (command == QLatin1String("choose")) {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                failure = QStringLiteral("no file dialog");
                return true;
            }
            const QString path = args.join(QLatin1Char(' '));
            work = [dialog, path] {
                // As typed into the name field, which keeps its text while it has the focus.
                dialog->selectFile(path);
                if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                    name->setText(path);
                }
                static_cast<QDialog*>(dialog)->accept(); // as the Open or Save button does
            };
        } else {
            work = WidgetAction(command, args, failure);
            if (!work) {
                return !failure.isEmpty();
            }
        }
        QTimer::singleShot(0, this, work);
        return true;
    }

    std::function<void()> WidgetAction(const QString& command, const QStringList& args,
                                       QString& failure)
    {
        static const QStringList kActions = {
            "click",       "dblclick",      "key",       "type",         "wheel",
            "headerclick", "headercontext", "cellclick", "celldblclick", "drag"};
        if (!kActions.contains(command)) {
            return {};
        }
        QPointer<QWidget> widget = args.isEmpty() ? nullptr : Resolve(args[0]);
        if (widget == nullptr) {
            failure = QStringLiteral("no widget");
            return {};
        }
        if (command == QLatin1String("click")) {
            return [widget] {
                if (auto* button = qobject_cast<QAbstractButton*>(widget.data())) {
                    button->click();
                } else if (widget) {
                    QTest::mouseClick(widget, Qt::LeftButton);
                }
            };
        }
        if (command == QLatin1String("dblclick")) {
            return [widget] {
                if (widget) {
                    QTest::mouseDClick(widget, Qt::LeftButton);
                }
            };
        }
        if (command == QLatin1String("drag")) {
            // From one point to another with the left button held, in the widget's coordinates;
            // what the move started (a separator follows on a timer) runs before the release.
            const QPoint from(args.value(1).toInt(), args.value(2).toInt());
            const QPoint to(args.value(3).toInt(), args.value(4).toInt());
            return [widget, from, to] {
                if (widget) {
                    QTest::mousePress(widget, Qt::LeftButton, {}, from);
                    QTest::mouseMove(widget, to);
                    QCoreApplication::processEvents();
                }
                if (widget) {
                    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
                }
            };
        }
        if (command == QLatin1String("key")) {
            const QKeyCombination keys = QKeySequence::fromString(args.value(1))[0];
            return [widget, keys] {
                if (widget) {
                    // Keys go to the active window, as the user's would after a click into it.
                    QApplication::setActiveWindow(widget->window());
                    QTest::keyClick(widget, keys.key(), keys.keyboardModifiers());
                }
            };
        }
        if (command == QLatin1String("type")) {
            const QString text = args.mid(1).join(QLatin1Char(' '));
            return [widget, text] {
                if (auto* edit = qobject_cast<QLineEdit*>(widget.data())) {
                    edit->clear();
                    QTest::keyClicks(edit, text);
                }
            };
        }
        if (command == QLatin1String("wheel")) {
            const int delta = args.value(1).toInt();
            const Qt::KeyboardModifiers modifiers =
                args.value(2) == QLatin1String("ctrl") ? Qt::ControlModifier : Qt::NoModifier;
            return [widget, delta, modifiers] {
                if (!widget) {
                    return;
                }
                // A scroll area takes the wheel on its viewport, where a user's wheel lands.
                QWidget* target = widget;
                if (auto* area = qobject_cast<QAbstractScrollArea*>(widget.data())) {
                    target = area->viewport();
                }
                const QPointF centre = QRectF(target->rect()).center();
                QWheelEvent wheel(centre, target->mapToGlobal(centre), QPoint(), QPoint(0, delta),
                                  Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
                QApplication::sendEvent(target, &wheel);
            };
        }
        return ItemAction(command, args, widget, failure);
    }

    std::function<void()> ItemAction(const QString& command, const QStringList& args,
                                     QWidget* widget, QString& failure)
    {
        QPointer<QAbstractItemView> view = qobject_cast<QAbstractItemView*>(widget);
        auto* table = qobject_cast<QTableView*>(widget);
        QPointer<QHeaderView> header = table != nullptr ? table->horizontalHeader() : nullptr;
        const bool onHeader = command.startsWith(QLatin1String("header"));
        if (view == nullptr || (onHeader && header == nullptr)) {
            failure = QStringLiteral("no item view");
            return {};
        }
        const int first = args.value(1).toInt();
        const int second = args.value(2).toInt();
        if (command == QLatin1String("headerclick")) {
            return [header, first] {
                if (header) {
                    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                                      SectionCentre(header, first));
                }
            };
        }
        if (command == QLatin1String("headercontext")) {
            return [header, first] {
                if (!header) {
                    return;
                }
                const QPoint at = SectionCentre(header, first);
                // What a right click on the header becomes for the widget under it.
                QContextMenuEvent menu(QContextMenuEvent::Mouse, at, header->mapToGlobal(at));
                QApplication::sendEvent(header->viewport(), &menu);
            };
        }
        const bool twice = command == QLatin1String("celldblclick");
        return [view, first, second, twice] {
            if (!view) {
                return;
            }
            const QModelIndex index = view->model()->index(first, second);
            view->scrollTo(index);
            const QPoint at = view->visualRect(index).center();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
            if (twice && view) {
                QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
            }
        };
    }

    QSocketNotifier* m_input = nullptr;
    QByteArray m_pending;
};

class ViewerDriverPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "ViewerDriver.json")

public:
    QObject* create(const QString&, const QString&) override
    {
        auto* driver = new Driver;
        qApp->installEventFilter(driver);
        QMetaObject::invokeMethod(driver, &Driver::Listen, Qt::QueuedConnection);
        return driver;
    }
};

} // namespace

#include "ViewerDriver.moc"
