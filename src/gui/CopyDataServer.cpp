#include "gui/CopyDataServer.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QVariant>

namespace {
// A message is a path: anything longer is not one, and is cut off rather than held in memory.
constexpr qint64 MaxMessage = 64 * 1024;
}  // namespace

QString TCopyDataServer::DefaultName() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) {
    folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
  }
  return folder + QStringLiteral("/kestrune-%1").arg(::getuid());
}

TCopyDataServer::TCopyDataServer(const QString& name, QObject* parent) : QObject(parent) {
  QLocalSocket probe;
  probe.connectToServer(name);
  if (probe.waitForConnected(200)) {
    return;
  }
  // Nobody answers: what lies there is left over from a window that ended without closing.
  QLocalServer::removeServer(name);
  FServer = new QLocalServer(this);
  FServer->setSocketOptions(QLocalServer::UserAccessOption);
  if (!FServer->listen(name)) {
    delete FServer;
    FServer = nullptr;
    return;
  }
  connect(FServer, &QLocalServer::newConnection, this, &TCopyDataServer::Accept);
}

bool TCopyDataServer::Listening() const { return FServer && FServer->isListening(); }

QString TCopyDataServer::PathOfMessage(const QByteArray& message) {
  const qsizetype zero = message.indexOf('\0');
  return QString::fromUtf8(zero < 0 ? message : message.left(zero));
}

void TCopyDataServer::Accept() {
  while (QLocalSocket* socket = FServer->nextPendingConnection()) {
    socket->setReadBufferSize(MaxMessage);
    socket->setProperty("message", QByteArray());
    connect(socket, &QLocalSocket::readyRead, socket, [socket] {
      QByteArray message = socket->property("message").toByteArray();
      message += socket->read(MaxMessage - message.size());
      socket->setProperty("message", message);
      if (message.size() >= MaxMessage) {
        socket->disconnectFromServer();
      }
    });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] { Finish(socket); });
    if (socket->state() != QLocalSocket::ConnectedState) {
      Finish(socket);
    }
  }
}

void TCopyDataServer::Finish(QLocalSocket* socket) {
  if (socket->property("finished").toBool()) {
    return;
  }
  socket->setProperty("finished", true);
  QByteArray message = socket->property("message").toByteArray();
  message += socket->readAll().left(MaxMessage - message.size());
  socket->deleteLater();
  const QString path = PathOfMessage(message);
  if (!path.isEmpty()) {
    emit PathReceived(path);
  }
}
