#include "demo_faxes.h"

#include "sample_fax.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

namespace torvex::tools {
namespace {

QByteArray tiffBytes(const SampleFaxOptions& options, FaxCompression compression)
{
    // libtiff writes to a file; the mail wants the bytes.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fax.tif"));
    if (!dir.isValid() || !writeSampleFaxTiff(path, options, compression))
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray jpegBytes(const SampleFaxOptions& options)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImage page = renderSampleFaxPage(options, 1).convertToFormat(QImage::Format_Grayscale8);
    // A scan at 200 dpi, as a sender's office scanner would make it.
    page.setDotsPerMeterX(qRound(200 / 0.0254));
    page.setDotsPerMeterY(qRound(200 / 0.0254));
    return page.save(&buffer, "JPEG", 85) ? bytes : QByteArray();
}

InternetFax mailFrom(const QString& sender, const QString& domain, const QString& to, int number)
{
    InternetFax mail;
    mail.from = sender.arg(domain);
    mail.to = to;
    mail.date = QStringLiteral("Mon, 7 Dec 2026 0%1:1%1:00 +0000").arg(number);
    mail.messageId = QStringLiteral("<demo-%1@%2>").arg(number).arg(domain);
    return mail;
}

}  // namespace

std::vector<DemoFax> demoFaxes(const QString& to, const QString& senderDomain)
{
    std::vector<DemoFax> faxes;

    SampleFaxOptions invoice;
    invoice.pages = 3;
    invoice.title = QStringLiteral("Harbour Freight - Invoice 4711");
    DemoFax g3{mailFrom(QStringLiteral("Harbour Freight Accounts <accounts@%1>"), senderDomain, to, 1), invoice.pages};
    g3.mail.subject = QStringLiteral("Invoice 4711 (3 pages)");
    g3.mail.body = QStringLiteral("Please find our invoice 4711 attached as a fax.\n\nHarbour Freight Accounts\n");
    g3.mail.attachments.push_back(
        {QStringLiteral("invoice4711.tif"), QStringLiteral("image/tiff"), tiffBytes(invoice, FaxCompression::Group3)});
    faxes.push_back(std::move(g3));

    SampleFaxOptions order;
    order.pages = 2;
    order.fine = false;
    order.title = QStringLiteral("Northside Clinic - Order form");
    DemoFax g4{mailFrom(QStringLiteral("Northside Clinic <orders@%1>"), senderDomain, to, 2), order.pages};
    g4.mail.subject = QStringLiteral("Order form, normal resolution (Group 4)");
    g4.mail.body = QStringLiteral("Our order for next week.\n");
    g4.mail.attachments.push_back(
        {QStringLiteral("order.tif"), QStringLiteral("image/tiff"), tiffBytes(order, FaxCompression::Group4)});
    faxes.push_back(std::move(g4));

    SampleFaxOptions scan;
    scan.pages = 1;
    scan.title = QStringLiteral("Delivery note 0815 (scanned)");
    DemoFax jpeg{mailFrom(QStringLiteral("Depot West <depot@%1>"), senderDomain, to, 3), 1};
    jpeg.mail.subject = QStringLiteral("Signed delivery note");
    jpeg.mail.body = QStringLiteral("The signed delivery note, scanned.\n");
    jpeg.mail.attachments.push_back({QStringLiteral("delivery0815.jpg"), QStringLiteral("image/jpeg"), jpegBytes(scan)});
    faxes.push_back(std::move(jpeg));

    DemoFax text{mailFrom(QStringLiteral("Front Desk <desk@%1>"), senderDomain, to, 4), 0};
    text.mail.subject = QStringLiteral("Opening hours over the holidays");
    text.mail.body = QStringLiteral("A note for the notice board is attached.\n");
    text.mail.attachments.push_back({QStringLiteral("holidays.txt"), QStringLiteral("text/plain"),
                                     "Opening hours over the holidays\r\n"
                                     "===============================\r\n\r\n"
                                     "24 December   9:00 - 12:00\r\n"
                                     "25-26 December  closed\r\n"
                                     "31 December   9:00 - 14:00\r\n"
                                     "1 January     closed\r\n\r\n"
                                     "Urgent deliveries: call the depot.\r\n"});
    faxes.push_back(std::move(text));

    SampleFaxOptions contract;
    contract.pages = 2;
    contract.title = QStringLiteral("Contract 2026-17 - please confirm");
    DemoFax receipt{mailFrom(QStringLiteral("Office Lindqvist <contracts@%1>"), senderDomain, to, 5), contract.pages};
    receipt.mail.subject = QStringLiteral("Contract 2026-17, receipt requested");
    receipt.mail.body = QStringLiteral("Please confirm receipt of the attached contract.\n");
    receipt.mail.extraHeaders = receiptRequestHeaders(receipt.mail.from, true);
    receipt.mail.attachments.push_back({QStringLiteral("contract.tif"), QStringLiteral("image/tiff"),
                                        tiffBytes(contract, FaxCompression::Group3TwoD)});
    faxes.push_back(std::move(receipt));

    for (const DemoFax& fax : faxes) {
        for (const InternetFax::Attachment& file : fax.mail.attachments) {
            if (file.content.isEmpty())
                return {};
        }
    }
    return faxes;
}

}  // namespace torvex::tools
