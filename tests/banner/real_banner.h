// The banner with the real browser against an HTTP server of the test's own on the loopback
// interface, for the tests that run under Xvfb.
#pragma once

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>
#include <map>
#include <set>

#include "banner/koukoku2.h"
#include "tests/banner/fakes.h"

namespace tanmira::testing {

// Answers GET requests from a table of path -> reply; records the paths asked for.
class LoopbackServer {
  public:
    struct Reply {
        int status;
        QByteArray type, body;
        QByteArray headers = {};  // further header lines, each ending in CR LF
        bool silent = false;      // reads the request and never answers
    };

    LoopbackServer() {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] { Serve(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    QString Host() const { return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort()); }
    QByteArray Url(const char* path) const { return "http://" + Host().toLatin1() + path; }

    int Requests(const QByteArray& path) const { return static_cast<int>(requests.count(path)); }

    std::map<QByteArray, Reply> replies;
    std::multiset<QByteArray> requests;

  private:
    void Serve(QTcpSocket* socket) {
        QByteArray& pending = buffers_[socket];
        pending += socket->readAll();
        if (!pending.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> words = pending.left(pending.indexOf("\r\n")).split(' ');
        buffers_.erase(socket);
        const QByteArray path = words.size() > 1 ? words[1] : QByteArray();
        requests.insert(path);
        const auto found = replies.find(path);
        const Reply reply = found != replies.end() ? found->second : Reply{404, "text/plain", ""};
        if (reply.silent)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(reply.status) + " X\r\nContent-Type: " +
                      reply.type + "\r\nContent-Length: " + QByteArray::number(reply.body.size()) +
                      "\r\n" + reply.headers + "Connection: close\r\n\r\n" + reply.body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    std::map<QTcpSocket*, QByteArray> buffers_;
};

inline const QByteArray kListPath = "/soft/koukoku/koukokulist.txt";

// The banner with the real browser in a window of 504 pixels, fetching from server; records the
// failed loads and the addresses of the documents that completed.
struct RealBanner {
    explicit RealBanner(const LoopbackServer& server) {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        frame = new Tkoukoku(&window);
        frame->SetListHost(server.Host());
        frame->SetHandlerGuard(CollectingGuard(errors));
        frame->setFixedHeight(68);
        layout->addWidget(frame);
        layout->addStretch();
        window.resize(504, 200);
        auto failed = frame->koukokuweb->onLoadFailed;
        frame->koukokuweb->onLoadFailed = [this, failed](const QString& url, int status) {
            failures.push_back(status);
            failed(url, status);
        };
        auto completed = frame->koukokuweb->onDocumentComplete;
        frame->koukokuweb->onDocumentComplete = [this, completed](const QString& url) {
            shown.push_back(url);
            completed(url);
        };
        window.show();
    }

    QWidget window;
    Tkoukoku* frame;
    std::vector<std::string> errors;
    std::vector<int> failures;
    std::vector<QString> shown;
};

}  // namespace tanmira::testing
