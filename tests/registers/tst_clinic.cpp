// The clinic window: the logo read from logo.cfg at each showing, choosing a logo, and saving
// the clinic row together with logo.cfg.

#include "db/dm2.h"
#include "db/widgets/dbcontrols.h"
#include "platform/pickers.h"
#include "registers/clinic.h"
#include "tests/registers/register_fixture.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace corvalen;
using State = db::Dataset::State;

namespace {
QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
bool isRed(const QColor& c) {
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}
bool isBlue(const QColor& c) {
    return c.blue() > 200 && c.red() < 60 && c.green() < 60;
}
} // namespace

class TstClinic : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MessageRecorder> recorder;
    std::unique_ptr<test::DataFolder> folder;
    std::unique_ptr<TForm16> form;
    QTemporaryDir pictures;
    QString red;  // a JPEG
    QString blue; // a bitmap
    std::optional<QString> pickerAnswer;
    std::vector<platform::PickerRequest> pickerRequests;

    QString logoCfg() const { return folder->file("logo.cfg"); }
    void setLogo(const QString& path) { writeFile(logoCfg(), path.toUtf8() + "\r\n"); }
    QColor shownColour() const { return form->Image1->pixmap().toImage().pixelColor(5, 5); }
    QString storedName() { return folder->scalar("select nome from Clinica").toString(); }

private slots:
    void initTestCase() {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::red);
        red = pictures.filePath("vermelho.jpg");
        QVERIFY(picture.save(red, "JPG"));
        picture.fill(Qt::blue);
        blue = pictures.filePath("azul.BMP");
        QVERIFY(picture.save(blue, "BMP"));
        writeFile(pictures.filePath("logo.txt"), "not a picture");
    }
    void init() {
        recorder = std::make_unique<test::MessageRecorder>();
        folder = std::make_unique<test::DataFolder>();
        pickerAnswer.reset();
        pickerRequests.clear();
        platform::setPickerHook([this](const platform::PickerRequest& r) {
            pickerRequests.push_back(r);
            return pickerAnswer;
        });
    }
    void cleanup() {
        form.reset();
        platform::setPickerHook({});
        folder.reset();
        recorder.reset();
    }
    void openWindow() {
        folder->openDataModule();
        form = std::make_unique<TForm16>();
        form->show();
    }

    // Each showing reloads the logo; a missing logo.cfg or a picture that cannot be loaded is
    // reported, leaves the picture and the path as they were, and the window opens all the same.
    void showReadsLogo_data() {
        QTest::addColumn<QString>("logo"); // "" removes logo.cfg
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("good JPEG") << "red"
                                   << "" << true;
        QTest::newRow("logo.cfg missing") << ""
                                          << "File not found." << false;
        QTest::newRow("picture gone") << "gone"
                                      << "Cannot open file" << false;
        QTest::newRow("not a picture type") << "txt"
                                            << "Unknown picture file extension (.txt)" << false;
    }
    void showReadsLogo() {
        QFETCH(QString, logo);
        QFETCH(QString, error);
        QFETCH(bool, loaded);
        setLogo(blue);
        openWindow();
        QCOMPARE(recorder->texts(), QStringList());
        QCOMPARE(form->Edit1->text(), blue);
        QVERIFY(isBlue(shownColour()));
        form->close();

        const QString path = logo == "red"    ? red
                             : logo == "gone" ? pictures.filePath("sumiu.jpg")
                                              : pictures.filePath("logo.txt");
        if (logo.isEmpty())
            QVERIFY(QFile::remove(logoCfg()));
        else
            setLogo(path);
        form->show();

        QVERIFY(form->isVisible());
        QCOMPARE(form->DBEdit2->text(), QStringLiteral("Clínica"));
        if (loaded) {
            QCOMPARE(recorder->texts(), QStringList());
            QCOMPARE(form->Edit1->text(), path);
            QVERIFY(isRed(shownColour()));
            // Stretched over the whole 153 × 122 box.
            QVERIFY(isRed(form->Image1->grab().toImage().pixelColor(150, 119)));
            return;
        }
        QCOMPARE(recorder->texts().size(), 1);
        if (logo == "gone")
            QVERIFY2(recorder->last().startsWith(QString("Cannot open file \"%1\". ").arg(path)),
                     qPrintable(recorder->last()));
        else
            QCOMPARE(recorder->last(), error);
        QCOMPARE(recorder->shown().back().kind, messages::Kind::Error);
        QCOMPARE(form->Edit1->text(), blue);
        QVERIFY(isBlue(shownColour()));
    }

    // The logo button starts editing the clinic row and asks through the picture dialog; a
    // choice is loaded and shown, a bad choice or a cancel leaves picture and path unchanged.
    void chooseLogo_data() {
        QTest::addColumn<QString>("answer"); // "" cancels
        QTest::addColumn<QString>("error");
        QTest::newRow("a JPEG") << "vermelho.jpg"
                                << "";
        QTest::newRow("not a picture") << "logo.txt"
                                       << "Unknown picture file extension (.txt)";
        QTest::newRow("cancelled") << ""
                                   << "";
    }
    void chooseLogo() {
        QFETCH(QString, answer);
        QFETCH(QString, error);
        setLogo(blue);
        openWindow();
        if (!answer.isEmpty())
            pickerAnswer = pictures.filePath(answer);
        QTest::mouseClick(form->BitBtn3, Qt::LeftButton);

        QCOMPARE(int(pickerRequests.size()), 1);
        QCOMPARE(pickerRequests.front().kind, platform::PickerKind::Picture);
        QCOMPARE(Dm2->ADOClinica->state(), State::Edit);
        QCOMPARE(recorder->texts(), error.isEmpty() ? QStringList() : QStringList{error});
        const bool chosen = !answer.isEmpty() && error.isEmpty();
        QCOMPARE(form->Edit1->text(), chosen ? pictures.filePath(answer) : blue);
        QVERIFY(chosen ? isRed(shownColour()) : isBlue(shownColour()));
    }

    // After the logo button, "&Salvar" saves the clinic row unchanged and rewrites logo.cfg as
    // the path box's one line: the chosen path, or the old one after a cancel. Anything after
    // the first line of the old file is gone.
    void saveAfterLogoButton_data() {
        QTest::addColumn<bool>("choose");
        QTest::newRow("logo chosen") << true;
        QTest::newRow("dialog cancelled") << false;
    }
    void saveAfterLogoButton() {
        QFETCH(bool, choose);
        writeFile(logoCfg(), blue.toUtf8() + "\r\nsegunda linha\r\n");
        openWindow();
        QCOMPARE(form->Edit1->text(), blue);
        if (choose)
            pickerAnswer = red;
        QTest::mouseClick(form->BitBtn3, Qt::LeftButton);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);

        QCOMPARE(recorder->texts(), QStringList());
        QCOMPARE(contents(logoCfg()), (choose ? red : blue).toUtf8() + "\r\n");
        QCOMPARE(Dm2->ADOClinica->state(), State::Browse);
        QCOMPARE(folder->scalar("select count(*) from Clinica").toInt(), 1);
        QCOMPARE(storedName(), QStringLiteral("Clínica"));
        QVERIFY(form->isVisible());
    }

    // A path typed into the path box alone is not saved: no clinic row is pending.
    void typedPathAloneNotSaved() {
        setLogo(blue);
        openWindow();
        form->Edit1->clear();
        test::typeInto(form->Edit1, red);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList{"ADOClinica: Dataset not in edit or insert mode."});
        QCOMPARE(contents(logoCfg()), blue.toUtf8() + "\r\n");
    }

    // A read-only logo.cfg is reported after the clinic row has been saved.
    void readOnlyLogoFile() {
        setLogo(blue);
        openWindow();
        form->DBEdit2->setFocus();
        QTest::keyClick(form->DBEdit2, Qt::Key_End);
        test::typeInto(form->DBEdit2, " Nova");
        QVERIFY(QFile::setPermissions(logoCfg(),
                                      QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        pickerAnswer = red;
        QTest::mouseClick(form->BitBtn3, Qt::LeftButton);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);

        QCOMPARE(recorder->texts(), QStringList{"File access denied."});
        QCOMPARE(storedName(), QStringLiteral("Clínica Nova"));
        QCOMPARE(Dm2->ADOClinica->state(), State::Browse);
        QCOMPARE(contents(logoCfg()), blue.toUtf8() + "\r\n");
    }

    // An empty Clinica table gets its row from the first save.
    void emptyTableGetsRow() {
        setLogo(blue);
        folder->exec("delete from Clinica");
        openWindow();
        QCOMPARE(form->DBEdit2->text(), QString());
        test::typeInto(form->DBEdit2, "Consultório Sul");
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(recorder->texts(), QStringList());
        QCOMPARE(folder->scalar("select count(*) from Clinica").toInt(), 1);
        QCOMPARE(storedName(), QStringLiteral("Consultório Sul"));
        QCOMPARE(contents(logoCfg()), blue.toUtf8() + "\r\n");
    }

    // Tab order and first focus; the logo button is named by its hint.
    void keyboard() {
        setLogo(blue);
        openWindow();
        QCOMPARE(form->focusWidget(), form->DBEdit2);
        QCOMPARE(test::tabChain(form->DBEdit2, 11),
                 (QStringList{"DBEdit3", "DBEdit4", "DBEdit5", "DBEdit6", "DBEdit7", "DBEdit8",
                              "DBEdit9", "BitBtn1", "BitBtn2", "BitBtn3", "Edit1"}));
        QCOMPARE(form->BitBtn3->toolTip(), QStringLiteral("Clique para selecionar o logotipo"));
        QCOMPARE(form->Label4->buddy(), form->DBEdit7);
    }
};

QTEST_MAIN(TstClinic)
#include "tst_clinic.moc"
