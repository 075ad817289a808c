#include "window/platform/portal/PortalHotkey.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kShortcutId = QStringLiteral("show-hide");
// The trigger in the form the portal's shortcuts take: modifiers, then the key's XKB symbol name.
const QString kPreferredTrigger = QStringLiteral("SHIFT+grave");
const QString kDescription = QStringLiteral("显示或隐藏背词窗口");
constexpr int kDetectTimeout = 2000;
// The name of the program's desktop entry (tavelo.desktop).
const QString kAppId = QStringLiteral("tavelo");

// One entry of BindShortcuts' a(sa{sv}).
struct TPortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& arg, const TPortalShortcut& shortcut) {
    arg.beginStructure();
    arg << shortcut.id << shortcut.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, TPortalShortcut& shortcut) {
    arg.beginStructure();
    arg >> shortcut.id >> shortcut.properties;
    arg.endStructure();
    return arg;
}

// The session handle comes as an object path or, from older portals, as a string.
QString PathOf(const QVariant& value) {
    return value.canConvert<QDBusObjectPath>() ? value.value<QDBusObjectPath>().path()
                                               : value.toString();
}

} // namespace

Q_DECLARE_METATYPE(TPortalShortcut)

TPortalHotkey::TPortalHotkey() {
    qDBusRegisterMetaType<TPortalShortcut>();
    qDBusRegisterMetaType<QList<TPortalShortcut>>();
    QDBusConnection::sessionBus().connect(kService, kPath, kInterface, QStringLiteral("Activated"),
                                          this, SLOT(Activated(QDBusMessage)));
}

TPortalHotkey::~TPortalHotkey() {
    Release();
}

bool TPortalHotkey::Claim(std::function<void()> onPressed) {
    Release();
    onPressed_ = std::move(onPressed);
    step_ = TStep::CreatingSession;
    const QString token = QStringLiteral("tavelo%1").arg(++tokens_);
    QVariantMap options{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("session_handle_token"), token}};
    if (!Request(QStringLiteral("CreateSession"), {options}, token)) {
        step_ = TStep::None;
        TellRefused();
        return false;
    }
    return true;
}

void TPortalHotkey::Release() {
    ForgetRequest();
    if (!session_.isEmpty()) {
        QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(kService, session_,
                                           QStringLiteral("org.freedesktop.portal.Session"),
                                           QStringLiteral("Close")),
            QDBus::NoBlock);
        session_.clear();
    }
    step_ = TStep::None;
    onPressed_ = nullptr;
}

bool TPortalHotkey::Request(const QString& method, QList<QVariant> args, const QString& token) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    ForgetRequest();
    requestPath_ =
        QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    bus.connect(kService, requestPath_, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"), this, SLOT(Response(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(args);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kDetectTimeout);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        ForgetRequest();
        return false;
    }
    return true;
}

void TPortalHotkey::ForgetRequest() {
    if (requestPath_.isEmpty()) {
        return;
    }
    QDBusConnection::sessionBus().disconnect(
        kService, requestPath_, QStringLiteral("org.freedesktop.portal.Request"),
        QStringLiteral("Response"), this, SLOT(Response(uint, QVariantMap)));
    requestPath_.clear();
}

void TPortalHotkey::Response(uint code, const QVariantMap& results) {
    ForgetRequest();
    if (code != 0) { // cancelled by the learner or refused by the desktop
        step_ = TStep::None;
        TellRefused();
        return;
    }
    if (step_ == TStep::CreatingSession) {
        session_ = PathOf(results.value(QStringLiteral("session_handle")));
        step_ = TStep::Binding;
        const QString token = QStringLiteral("tavelo%1").arg(++tokens_);
        const QList<TPortalShortcut> shortcuts{
            {kShortcutId,
             {{QStringLiteral("description"), kDescription},
              {QStringLiteral("preferred_trigger"), kPreferredTrigger}}}};
        if (!Request(QStringLiteral("BindShortcuts"),
                     {QVariant::fromValue(QDBusObjectPath(session_)),
                      QVariant::fromValue(shortcuts), QString(),
                      QVariantMap{{QStringLiteral("handle_token"), token}}},
                     token)) {
            step_ = TStep::None;
            TellRefused();
        }
    } else if (step_ == TStep::Binding) {
        step_ = TStep::Bound;
    }
}

// Activated(o session_handle, s shortcut_id, t timestamp, a{sv} options).
void TPortalHotkey::Activated(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (args.size() >= 2 && PathOf(args[0]) == session_ && !session_.isEmpty() &&
        args[1].toString() == kShortcutId && onPressed_) {
        onPressed_();
    }
}

std::unique_ptr<IHotkey> MakePortalHotkey() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return nullptr;
    }
    // A program outside a sandbox shows the portal no app id, and desktops that keep shortcuts
    // per program (KDE) want one: portals from 1.19 take it from the host registry, before any
    // other portal call. Older portals refuse the call; the binding then goes on without it.
    QDBusMessage registry = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.host.portal.Registry"),
        QStringLiteral("Register"));
    registry << kAppId << QVariantMap();
    bus.call(registry, QDBus::Block, kDetectTimeout);
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    if (bus.call(get, QDBus::Block, kDetectTimeout).type() != QDBusMessage::ReplyMessage) {
        return nullptr; // no portal, or one without global shortcuts
    }
    return std::make_unique<TPortalHotkey>();
}
