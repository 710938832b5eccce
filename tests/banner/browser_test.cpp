// Integration test of the banner with the real browser against an HTTP server on the loopback
// interface: the list is fetched once and a page of it is requested; a list answered with an
// HTTP error is not read as the list.
#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <map>
#include <set>

#include "banner/koukoku2.h"
#include "fakes.h"

namespace tanmira {
namespace {

constexpr int kWaitMilliseconds = 30000;

// Answers GET requests from a table of path -> (status, content type, body); records the paths.
class LoopbackServer {
  public:
    struct Reply {
        int status;
        QByteArray type, body;
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
        socket->write("HTTP/1.1 " + QByteArray::number(reply.status) + " X\r\nContent-Type: " +
                      reply.type + "\r\nContent-Length: " + QByteArray::number(reply.body.size()) +
                      "\r\nConnection: close\r\n\r\n" + reply.body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    std::map<QTcpSocket*, QByteArray> buffers_;
};

const QByteArray kListPath = "/soft/koukoku/koukokulist.txt";

// The banner with the real browser in a window of 504 pixels, fetching from server.
struct RealBanner {
    explicit RealBanner(const LoopbackServer& server) {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        frame = new Tkoukoku(&window);
        frame->SetListHost(server.Host());
        frame->SetHandlerGuard(testing::CollectingGuard(errors));
        frame->setFixedHeight(68);
        layout->addWidget(frame);
        layout->addStretch();
        window.resize(504, 200);
        auto original = frame->koukokuweb->onLoadFailed;
        frame->koukokuweb->onLoadFailed = [this, original](const QString& url, int status) {
            failures.push_back(status);
            original(url, status);
        };
        window.show();
    }

    QWidget window;
    Tkoukoku* frame;
    std::vector<std::string> errors;
    std::vector<int> failures;
};

TEST(BannerWithRealBrowser, FetchesTheListOnceAndRequestsAPage) {
    LoopbackServer server;
    server.replies[kListPath] = {200, "text/plain", server.Url("/ad1.html") + "\r\n"};
    server.replies["/ad1.html"] = {200, "text/html", "<html><body>Tanmira</body></html>"};
    RealBanner banner(server);

    ASSERT_TRUE(
        QTest::qWaitFor([&] { return server.Requests("/ad1.html") > 0; }, kWaitMilliseconds));
    QTest::qWait(1000);
    EXPECT_EQ(server.Requests(kListPath), 1);
    EXPECT_EQ(banner.frame->ListLoaded, -1);
    EXPECT_EQ(banner.frame->AdList->Lines(),
              (std::vector<std::string>{server.Url("/ad1.html").toStdString()}));
    EXPECT_TRUE(banner.errors.empty());
    // The banner takes no keyboard focus: neither the view nor the widgets it made inside itself.
    QWidget* view = banner.frame->koukokuweb->Widget();
    QList<QWidget*> tree = view->findChildren<QWidget*>();
    EXPECT_FALSE(tree.isEmpty());
    tree << view;
    for (const QWidget* widget : tree)
        EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus) << widget->metaObject()->className();
}

TEST(BannerWithRealBrowser, AListAnsweredWithAnHttpErrorIsNotRead) {
    LoopbackServer server;
    server.replies[kListPath] = {404, "text/plain", server.Url("/evil.html") + "\r\n"};
    RealBanner banner(server);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !banner.failures.empty(); }, kWaitMilliseconds));
    QTest::qWait(1000);
    EXPECT_EQ(banner.failures.front(), 404);
    EXPECT_EQ(server.Requests("/evil.html"), 0);
    EXPECT_EQ(banner.frame->ListLoaded, 0);
    EXPECT_EQ(banner.frame->AdList->LineCount(), 0);
}

}  // namespace
}  // namespace tanmira
