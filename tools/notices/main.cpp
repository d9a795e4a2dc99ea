// winkwell-notices NOTICES.txt OUTPUT.pdf [FONT.ttf...]: typesets the third-party notices for the
// about page's NOTICES button. The text has a "# " title, "## " headings and paragraphs separated
// by blank lines; the lines of a paragraph are joined.
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextStream>
#include <cstdio>

namespace {

struct Block
{
    int level = 0; // 1 title, 2 heading, 0 paragraph
    QString text;
};

QVector<Block> parse(const QString& source)
{
    QVector<Block> blocks;
    Block paragraph;
    const auto finish = [&] {
        if (!paragraph.text.isEmpty()) {
            blocks.append(paragraph);
        }
        paragraph = Block();
    };
    for (const QString& raw : source.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty()) {
            finish();
        } else if (line.startsWith(QLatin1String("## ")) || line.startsWith(QLatin1String("# "))) {
            finish();
            const int level = line.startsWith(QLatin1String("## ")) ? 2 : 1;
            blocks.append({level, line.mid(level + 1)});
        } else {
            paragraph.text += (paragraph.text.isEmpty() ? QString() : QStringLiteral(" ")) + line;
        }
    }
    finish();
    return blocks;
}

void typeset(QTextDocument& document, const QVector<Block>& blocks, const QString& family)
{
    QTextCursor cursor(&document);
    bool first = true;
    for (const Block& block : blocks) {
        QTextBlockFormat spacing;
        spacing.setTopMargin(block.level == 0 ? 4 : 14);
        spacing.setBottomMargin(block.level == 1 ? 8 : 2);
        QTextCharFormat characters;
        characters.setFontFamily(family);
        characters.setFontPointSize(block.level == 1 ? 18 : block.level == 2 ? 12 : 9.5);
        characters.setFontWeight(block.level == 0 ? QFont::Normal : QFont::Bold);
        if (first) {
            cursor.setBlockFormat(spacing);
            first = false;
        } else {
            cursor.insertBlock(spacing);
        }
        cursor.insertText(block.text, characters);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // No display is needed to write a PDF.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: winkwell-notices NOTICES.txt OUTPUT.pdf [FONT.ttf...]\n");
        return 2;
    }
    QString family = QGuiApplication::font().family();
    for (int i = 3; i < argc; ++i) {
        const int id = QFontDatabase::addApplicationFont(QString::fromLocal8Bit(argv[i]));
        if (id >= 0 && i == 3) {
            family = QFontDatabase::applicationFontFamilies(id).value(0, family);
        }
    }
    QFile input(QString::fromLocal8Bit(argv[1]));
    if (!input.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "winkwell-notices: cannot read %s: %s\n", argv[1],
                     qPrintable(input.errorString()));
        return 1;
    }
    const QVector<Block> blocks = parse(QString::fromUtf8(input.readAll()));
    if (blocks.isEmpty()) {
        std::fprintf(stderr, "winkwell-notices: %s holds no notices\n", argv[1]);
        return 1;
    }

    const QString output = QString::fromLocal8Bit(argv[2]);
    QPdfWriter pdf(output);
    pdf.setTitle(blocks.first().text);
    pdf.setCreator(QStringLiteral("Winkwell"));
    pdf.setResolution(300);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                  QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter));
    QTextDocument document;
    document.setDocumentMargin(0);
    typeset(document, blocks, family);
    document.print(&pdf);
    if (!QFile::exists(output)) {
        std::fprintf(stderr, "winkwell-notices: %s was not written\n", argv[2]);
        return 1;
    }
    return 0;
}
