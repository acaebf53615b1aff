#pragma once

// How other programs hand files to the running window: a per-user local socket. Each connection
// carries one message, one file path as 8-bit text that ends at the first zero byte, if any.

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

class TCopyDataServer : public QObject {
  Q_OBJECT
public:
  // The socket name of the current user: "kestrune-<uid>" in the user's runtime folder.
  static QString DefaultName();
  // Listens under `name` unless another window already does (then this one receives nothing).
  explicit TCopyDataServer(const QString& name = DefaultName(), QObject* parent = nullptr);

  bool Listening() const;
  // The path a message's bytes name: up to the first zero byte, as UTF-8.
  static QString PathOfMessage(const QByteArray& message);

signals:
  void PathReceived(const QString& path);

private:
  void Accept();
  void Finish(QLocalSocket* socket);

  QLocalServer* FServer = nullptr;
};
