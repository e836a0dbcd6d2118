// SPDX-License-Identifier: MPL-2.0
// Documents that name other files or network addresses: pictures, style
// sheets, sections and templates linked rather than held. The office must
// fetch none of them (it reaches no network and no file the user did not
// choose), and the conversion still ends cleanly. Beneath that, the office
// runs without network: whatever a document makes it try, it can open local
// sockets only (its UNO pipes), never an Internet one.
#include "EngineTestSupport.h"
#include "FileEvents.h"
#include "RecordingHttpServer.h"
#include "StoredZip.h"

#include "engine/office/NetworkBlock.h"

#include <QFile>
#include <QImage>
#include <QMutex>
#include <arpa/inet.h>
#include <functional>
#include <linux/io_uring.h>
#include <netinet/in.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace enginetest;

namespace {

// The links a document holds: addresses of the recording server and files in
// a folder beside the document's own.
struct Links {
    QByteArray http(const QByteArray& name) const { return server->url(name); }
    QByteArray file(const QByteArray& name) const { return "file://" + QFile::encodeName(secrets) + '/' + name; }
    const RecordingHttpServer* server;
    QString secrets;
};

const QByteArray kText = "Linked resources stay outside";

// Its page number has the document laid out (the layout draws the pictures
// it holds) before it is converted: what the load fetches, and the layout.
QByteArray flatOdt(const Links& l)
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.text">
<office:body><office:text>
<text:p>)" + kText + R"( <text:page-number text:select-page="current">9</text:page-number></text:p>
<text:p><draw:frame draw:name="remote" text:anchor-type="as-char" svg:width="2cm" svg:height="2cm"><draw:image xlink:href=")"
           + l.http("remote.png") + R"(" xlink:type="simple" xlink:show="embed" xlink:actuate="onLoad"/></draw:frame></text:p>
<text:p><draw:frame draw:name="local" text:anchor-type="as-char" svg:width="2cm" svg:height="2cm"><draw:image xlink:href=")"
           + l.file("secret.png") + R"(" xlink:type="simple" xlink:show="embed" xlink:actuate="onLoad"/></draw:frame></text:p>
<text:section text:name="remote section"><text:section-source xlink:href=")"
           + l.http("section.odt") + R"(" xlink:type="simple"/></text:section>
<text:section text:name="local section"><text:section-source xlink:href=")"
           + l.file("secret.odt") + R"(" xlink:type="simple"/></text:section>
</office:text></office:body></office:document>
)";
}

// External entities in the XML: their text would be read into the document.
QByteArray flatOdtWithEntities(const Links& l)
{
    QByteArray document = flatOdt(l);
    document.replace("<office:document ", "<!DOCTYPE office:document [<!ENTITY remote SYSTEM \"" + l.http("entity.xml")
                                              + "\"><!ENTITY local SYSTEM \"" + l.file("secret.txt")
                                              + "\">]>\n<office:document ");
    document.replace("</office:text>", "<text:p>&remote;&local;</text:p></office:text>");
    return document;
}

QByteArray packedOdt(const Links& l)
{
    QByteArray content = flatOdt(l);
    content.replace("<office:document ", "<office:document-content ");
    content.replace("</office:document>", "</office:document-content>");
    content.replace(" office:mimetype=\"application/vnd.oasis.opendocument.text\"", "");
    StoredZip zip;
    zip.add("mimetype", "application/vnd.oasis.opendocument.text");
    zip.add("content.xml", content);
    zip.add("META-INF/manifest.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">
<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/>
<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>
</manifest:manifest>
)");
    return zip.bytes();
}

QByteArray html(const Links& l)
{
    return "<!DOCTYPE html>\n<html><head><title>linked</title>\n"
           "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + l.http("style.css") + "\">\n"
           "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + l.file("secret.css") + "\">\n"
           "<style>@import url(\"" + l.http("imported.css") + "\");</style>\n"
           "</head><body background=\"" + l.http("background.png") + "\">\n"
           "<p>" + kText + "</p>\n"
           "<p><img src=\"" + l.http("remote.png") + "\" width=\"20\" height=\"20\"></p>\n"
           "<p><img src=\"" + l.file("secret.png") + "\" width=\"20\" height=\"20\"></p>\n"
           "</body></html>\n";
}

QByteArray rtf(const Links& l)
{
    return "{\\rtf1\\ansi " + kText + "\\par\n"
           "{\\field{\\*\\fldinst INCLUDEPICTURE \"" + l.http("rtf.png") + "\" \\\\d}{\\fldrslt picture}}\\par\n"
           "{\\field{\\*\\fldinst INCLUDEPICTURE \"" + l.file("secret.png") + "\" \\\\d}{\\fldrslt picture}}\\par\n"
           "{\\field{\\*\\fldinst INCLUDETEXT \"" + l.http("included.rtf") + "\"}{\\fldrslt text}}\\par\n"
           "{\\field{\\*\\fldinst INCLUDETEXT \"" + l.file("secret.txt") + "\"}{\\fldrslt text}}\\par\n}\n";
}

QByteArray wordXml2003(const Links& l)
{
    return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<?mso-application progid="Word.Document"?>
<!DOCTYPE w:wordDocument [<!ENTITY remote SYSTEM ")" + l.http("entity.xml") + R"("><!ENTITY local SYSTEM ")" + l.file("secret.txt") + R"(">]>
<w:wordDocument xmlns:w="http://schemas.microsoft.com/office/word/2003/wordml"><w:body>
<w:p><w:r><w:t>)" + kText + R"(</w:t></w:r></w:p>
<w:p><w:r><w:t>&remote;&local;</w:t></w:r></w:p>
</w:body></w:wordDocument>
)";
}

QByteArray docxPicture(int id, const QByteArray& relation)
{
    const QByteArray n = QByteArray::number(id);
    return R"(<w:p><w:r><w:drawing><wp:inline><wp:extent cx="720000" cy="720000"/><wp:docPr id=")" + n
           + R"(" name="picture )" + n
           + R"("/><a:graphic><a:graphicData uri="http://schemas.openxmlformats.org/drawingml/2006/picture"><pic:pic><pic:nvPicPr><pic:cNvPr id=")"
           + n + R"(" name="picture )" + n + R"("/><pic:cNvPicPr/></pic:nvPicPr><pic:blipFill><a:blip r:link=")"
           + relation
           + R"("/><a:stretch><a:fillRect/></a:stretch></pic:blipFill><pic:spPr><a:xfrm><a:off x="0" y="0"/><a:ext cx="720000" cy="720000"/></a:xfrm><a:prstGeom prst="rect"><a:avLst/></a:prstGeom></pic:spPr></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r></w:p>)";
}

QByteArray docx(const Links& l)
{
    const QByteArray relationships = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const QByteArray main = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    const auto external = [&](const char* id, const char* type, const QByteArray& target) {
        return "<Relationship Id=\"" + QByteArray(id) + "\" Type=\"" + relationships + '/' + type + "\" Target=\""
               + target + "\" TargetMode=\"External\"/>";
    };
    const auto rels = [](const QByteArray& list) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
               "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
               + list + "</Relationships>";
    };
    StoredZip zip;
    zip.add("[Content_Types].xml", R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>
<Override PartName="/word/settings.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"/>
</Types>)");
    zip.add("_rels/.rels", rels("<Relationship Id=\"rId1\" Type=\"" + relationships
                                + "/officeDocument\" Target=\"word/document.xml\"/>"));
    zip.add("word/_rels/document.xml.rels",
            rels("<Relationship Id=\"rIdSettings\" Type=\"" + relationships + "/settings\" Target=\"settings.xml\"/>"
                 + external("rIdRemote", "image", l.http("remote.png"))
                 + external("rIdLocal", "image", l.file("secret.png"))));
    zip.add("word/_rels/settings.xml.rels", rels(external("rIdTemplate", "attachedTemplate", l.http("template.dotx"))));
    zip.add("word/settings.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                                 "<w:settings xmlns:w=\"" + main + "\" xmlns:r=\"" + relationships
                                     + "\"><w:attachedTemplate r:id=\"rIdTemplate\"/><w:linkStyles/></w:settings>");
    zip.add("word/document.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document xmlns:w=\"" + main
                + "\" xmlns:r=\"" + relationships
                + "\" xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\""
                  " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\""
                  " xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><w:body>"
                  "<w:p><w:r><w:t>" + kText + "</w:t></w:r></w:p>"
                + docxPicture(1, "rIdRemote") + docxPicture(2, "rIdLocal")
                + "<w:p><w:fldSimple w:instr=\" INCLUDEPICTURE &quot;" + l.http("field.png")
                + "&quot; \\d \"><w:r><w:t>field</w:t></w:r></w:fldSimple></w:p>"
                  "<w:p><w:fldSimple w:instr=\" INCLUDETEXT &quot;" + l.http("included.docx")
                + "&quot; \"><w:r><w:t>included</w:t></w:r></w:fldSimple></w:p>"
                  "<w:p><w:fldSimple w:instr=\" INCLUDEPICTURE &quot;" + l.file("secret.png")
                + "&quot; \"><w:r><w:t>field</w:t></w:r></w:fldSimple></w:p>"
                  "<w:p><w:fldSimple w:instr=\" INCLUDETEXT &quot;" + l.file("secret.txt")
                + "&quot; \"><w:r><w:t>included</w:t></w:r></w:fldSimple></w:p>"
                  "</w:body></w:document>");
    return zip.bytes();
}

struct LinkingDocument {
    const char* name;
    std::function<QByteArray(const Links&)> make;
    // Whether it converts; the others fail cleanly: web pages and rich text
    // are refused (their imports read what they link whatever the office's
    // settings), a document with external entities is refused by the XML
    // parser.
    bool converts;
};

class LinkedResourceTest : public EngineTest, public testing::WithParamInterface<LinkingDocument> {
protected:
    void TearDown() override { CloseQuietly(SharedServer()); }
};

TEST_P(LinkedResourceTest, TheOfficeFetchesNothingTheDocumentLinks)
{
    RecordingHttpServer server;
    ASSERT_TRUE(server.isListening());
    // The files the links name, outside the document's folder.
    QTemporaryDir secrets;
    ASSERT_TRUE(secrets.isValid());
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(secrets.filePath(QStringLiteral("secret.png")), "PNG"));
    WriteFile(secrets.filePath(QStringLiteral("secret.css")), "p { color: red }\n");
    WriteFile(secrets.filePath(QStringLiteral("secret.txt")), "SECRET TEXT\n");
    WriteFile(secrets.filePath(QStringLiteral("secret.odt")), ReadFile(DataPath(QStringLiteral("text.odt"))));
    QMutex lock;
    QStringList opened;
    FileEvents events([&](const QString&, const QString& name, quint32) {
        QMutexLocker guard(&lock);
        opened << name;
    });
    ASSERT_TRUE(events.watch(secrets.path(), IN_OPEN | IN_ACCESS));

    const Links links{&server, secrets.path()};
    const QString source = path(QStringLiteral("linked.wpd"));
    WriteFile(source, GetParam().make(links));
    const QString target = path(QStringLiteral("linked.doc"));
    const auto failure = Convert(SharedServer(), source, target);

    EXPECT_TRUE(server.requests().isEmpty()) << server.requests().join(", ").toStdString();
    {
        QMutexLocker guard(&lock);
        EXPECT_TRUE(opened.isEmpty()) << opened.join(QStringLiteral(", ")).toStdString();
    }
    EXPECT_EQ(!failure, GetParam().converts) << (failure ? failure->description().toStdString() : "converted");
    if (failure) {
        EXPECT_TRUE(Says(*failure, source));
        EXPECT_EQ(Entries(mDir.path()), QStringList{QStringLiteral("linked.wpd")});
    } else {
        EXPECT_TRUE(WordText(target).contains(QString::fromLatin1(kText))) << WordText(target).toStdString();
        EXPECT_FALSE(WordText(target).contains(QStringLiteral("SECRET"))) << WordText(target).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(, LinkedResourceTest,
                         testing::Values(LinkingDocument{"FlatOpenDocument", flatOdt, true},
                                         LinkingDocument{"FlatOpenDocumentWithEntities", flatOdtWithEntities, false},
                                         LinkingDocument{"OpenDocument", packedOdt, true},
                                         LinkingDocument{"WordOpenXml", docx, true},
                                         LinkingDocument{"WordXml2003", wordXml2003, true},
                                         LinkingDocument{"Html", html, false},
                                         LinkingDocument{"RichText", rtf, false}),
                         [](const testing::TestParamInfo<LinkingDocument>& info) {
                             return std::string(info.param.name);
                         });


TEST(NetworkBlockTest, AProcessUnderTheBlockGetsLocalSocketsOnly)
{
    RecordingHttpServer server;
    ASSERT_TRUE(server.isListening());
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(server.port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    struct Case {
        int domain;
        int type;
        bool allowed;
    };
    const Case cases[] = {
        {AF_UNIX, SOCK_STREAM, true},  {AF_NETLINK, SOCK_RAW, true}, {AF_INET, SOCK_STREAM, false},
        {AF_INET, SOCK_DGRAM, false},  {AF_INET6, SOCK_STREAM, false}, {AF_PACKET, SOCK_RAW, false},
    };
    // A child process of its own: the filter cannot be taken off again.
    const pid_t child = ::fork();
    if (child == 0) {
        if (!engine::NetworkBlock::ApplyToThisProcess())
            ::_exit(100);
        int failures = 0;
        for (const Case& c : cases) {
            const int fd = ::socket(c.domain, c.type, 0);
            if ((fd >= 0) != c.allowed)
                ++failures;
            if (fd >= 0)
                ::close(fd);
        }
        // A connection made before the block still works; a new one cannot
        // even be made.
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            ++failures;
        // Nor through io_uring (whose IORING_OP_SOCKET the filter would not
        // see), nor by taking a socket from another process.
        io_uring_params ring{};
        if (::syscall(SYS_io_uring_setup, 4, &ring) >= 0)
            failures += 10;
        const long parent = ::syscall(SYS_pidfd_open, ::getppid(), 0);
        if (parent >= 0 && ::syscall(SYS_pidfd_getfd, parent, 0, 0) >= 0)
            failures += 20;
        ::_exit(failures);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 100) << "the kernel refused the filter";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "sockets that should (not) open (10: io_uring, 20: another process's)";
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST(NetworkBlockTest, TheOfficeRunsUnderTheBlock)
{
    SharedEngine().waitForOffice();
    QFile status(QStringLiteral("/proc/%1/status").arg(SharedEngine().officePid()));
    ASSERT_TRUE(status.open(QIODevice::ReadOnly));
    const QByteArray text = status.readAll();
    EXPECT_TRUE(text.contains("\nSeccomp:\t2\n")) << text.toStdString();
}

} // namespace
