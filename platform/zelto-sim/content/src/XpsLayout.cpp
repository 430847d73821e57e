#include "XpsLayout.h"

#include "PageUnits.h"
#include "TiffLayout.h"
#include "ZipLayout.h"

namespace zeltosim::detail {
namespace {

constexpr int kUnitsPerInch = 96;
const char kXmlHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const char kXpsNamespace[] = "http://schemas.microsoft.com/xps/2005/06";
const char kRelationshipsNamespace[] = "http://schemas.openxmlformats.org/package/2006/relationships";

SegmentPtr Text(std::string text) {
    return std::make_shared<BytesSegment>(std::move(text));
}

std::string ContentTypes(const std::string& imageExtension, const std::string& imageType) {
    auto type = [](const std::string& extension, const std::string& contentType) {
        return "<Default Extension=\"" + extension + "\" ContentType=\"" + contentType + "\"/>";
    };
    return std::string(kXmlHeader) + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">" +
           type("rels", "application/vnd.openxmlformats-package.relationships+xml") +
           type("fdseq", "application/vnd.ms-package.xps-fixeddocumentsequence+xml") +
           type("fdoc", "application/vnd.ms-package.xps-fixeddocument+xml") +
           type("fpage", "application/vnd.ms-package.xps-fixedpage+xml") + type(imageExtension, imageType) + "</Types>";
}

std::string Relationships(const std::string& type, const std::string& target) {
    return std::string(kXmlHeader) + "<Relationships xmlns=\"" + kRelationshipsNamespace + "\"><Relationship Id=\"R1\" Type=\"" +
           type + "\" Target=\"" + target + "\"/></Relationships>";
}

std::string FixedPage(const JobSpec& spec, const std::string& image) {
    const std::string width = PageUnits(spec.widthPx, kUnitsPerInch, spec.dpi);
    const std::string height = PageUnits(spec.heightPx, kUnitsPerInch, spec.dpi);
    const std::string box = "0,0," + width + "," + height;
    return std::string(kXmlHeader) + "<FixedPage xmlns=\"" + kXpsNamespace + "\" Width=\"" + width + "\" Height=\"" + height +
           "\" xml:lang=\"und\"><Path Data=\"M 0,0 L " + width + ",0 " + width + "," + height + " 0," + height +
           " Z\"><Path.Fill><ImageBrush ImageSource=\"" + image + "\" Viewbox=\"" + box +
           "\" ViewboxUnits=\"Absolute\" Viewport=\"" + box +
           "\" ViewportUnits=\"Absolute\"/></Path.Fill></Path></FixedPage>";
}

}  // namespace

SegmentPtr XpsDocument(const JobSpec& spec, int firstPage, int lastPage, bool compact) {
    const std::string extension = "tif";
    std::vector<ZipEntry> entries;
    entries.push_back({"[Content_Types].xml", Text(ContentTypes(extension, "image/tiff"))});
    entries.push_back({"_rels/.rels", Text(Relationships("http://schemas.microsoft.com/xps/2005/06/fixedrepresentation",
                                                         "/FixedDocumentSequence.fdseq"))});
    entries.push_back({"FixedDocumentSequence.fdseq",
                       Text(std::string(kXmlHeader) + "<FixedDocumentSequence xmlns=\"" + kXpsNamespace +
                            "\"><DocumentReference Source=\"/Documents/1/FixedDocument.fdoc\"/></FixedDocumentSequence>")});
    std::string pages;
    for (int i = 1; i <= lastPage - firstPage + 1; ++i) {
        pages += "<PageContent Source=\"/Documents/1/Pages/" + std::to_string(i) + ".fpage\"/>";
    }
    entries.push_back({"Documents/1/FixedDocument.fdoc",
                       Text(std::string(kXmlHeader) + "<FixedDocument xmlns=\"" + kXpsNamespace + "\">" + pages + "</FixedDocument>")});

    for (int page = firstPage; page <= lastPage; ++page) {
        const std::string number = std::to_string(page - firstPage + 1);
        const std::string image = "/Documents/1/Resources/Images/" + number + "." + extension;
        SegmentPtr imageData = TiffDocument(spec, page, page, compact);
        if (!imageData) return nullptr;
        entries.push_back({"Documents/1/Pages/" + number + ".fpage", Text(FixedPage(spec, image))});
        entries.push_back({"Documents/1/Pages/_rels/" + number + ".fpage.rels",
                           Text(Relationships("http://schemas.microsoft.com/xps/2005/06/required-resource", image))});
        entries.push_back({image.substr(1), imageData});
    }
    return ZipArchive(entries);
}

}  // namespace zeltosim::detail
