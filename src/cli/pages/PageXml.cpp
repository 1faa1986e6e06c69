#include "cli/pages/PageXml.h"

#include <algorithm>
#include <ctime>

#include "cli/pages/PageInfo.h"
#include "resources/Version.h"

namespace {

constexpr char kPageNamespace[] = "http://schema.primaresearch.org/PAGE/gts/pagecontent/2019-07-15";
constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Appends `text` (UTF-8) escaped for XML character data and attribute values. C0 controls
// other than tab, newline and carriage return, and the noncharacters U+FFFE and U+FFFF, are not
// XML characters and become U+FFFD.
void AppendEscaped(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '"') {
      out += "&quot;";
    } else if (c == '\r') {
      out += "&#13;";  // kept: a raw carriage return would be read back as a newline
    } else if (byte < 0x20 && c != '\t' && c != '\n') {
      out += kReplacement;
    } else if (text.compare(i, 3, "\xEF\xBF\xBE") == 0 ||
               text.compare(i, 3, "\xEF\xBF\xBF") == 0) {
      out += kReplacement;
      i += 2;
    } else {
      out += c;
    }
  }
}

std::string Points(const PageBox& box) {
  const std::string l = std::to_string(box.left), t = std::to_string(box.top),
                    r = std::to_string(box.right), b = std::to_string(box.bottom);
  return l + "," + t + " " + r + "," + t + " " + r + "," + b + " " + l + "," + b;
}

}  // namespace

std::optional<PageBox> LineBoxOnPage(const PageLine& line, std::int32_t pageWidth,
                                     std::int32_t pageHeight) {
  if (line.pixels.empty() || line.width <= 0 || line.height <= 0) return std::nullopt;
  const std::int64_t right = std::int64_t{line.left} + line.width;
  const std::int64_t bottom = std::int64_t{line.top} + line.height;
  const PageBox box{
      std::max(line.left, 0), std::max(line.top, 0),
      static_cast<std::int32_t>(std::min<std::int64_t>(right, pageWidth)),
      static_cast<std::int32_t>(std::min<std::int64_t>(bottom, pageHeight))};
  if (box.left >= box.right || box.top >= box.bottom) return std::nullopt;
  return box;
}

std::string PageXmlDocument(const CliPage& page, const PageXmlSource& source,
                            std::vector<std::int32_t>& leftOut) {
  const PageBody& body = *page.body;
  leftOut.clear();
  std::string lines;
  std::optional<PageBox> region;
  for (std::int32_t i = 0; i < body.UsedLines(); ++i) {
    const PageLine& line = body.lines[static_cast<std::size_t>(i)];
    const std::optional<PageBox> box = LineBoxOnPage(line, body.pageWidth, body.pageHeight);
    if (!box) {
      leftOut.push_back(i);
      continue;
    }
    region = region ? PageBox{std::min(region->left, box->left), std::min(region->top, box->top),
                              std::max(region->right, box->right),
                              std::max(region->bottom, box->bottom)}
                    : *box;
    lines += "      <TextLine id=\"l" + std::to_string(i + 1) + "\">\n        <Coords points=\"" +
             Points(*box) + "\"/>\n        <TextEquiv><Unicode>";
    AppendEscaped(lines, LabelText(line, source.codePage));
    lines += "</Unicode></TextEquiv>\n      </TextLine>\n";
  }
  // A region without lines still needs an outline: the whole page.
  const PageBox regionBox = region.value_or(PageBox{0, 0, body.pageWidth, body.pageHeight});

  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PcGts xmlns=\"";
  xml += std::string(kPageNamespace) + "\">\n  <Metadata>\n    <Creator>PLIMDisp " +
         kPlimDispVersion + "</Creator>\n    <Created>" + source.created +
         "</Created>\n    <LastChange>" + source.created +
         "</LastChange>\n  </Metadata>\n  <Page imageFilename=\"";
  AppendEscaped(xml, source.imageFilename);
  xml += "\" imageWidth=\"" + std::to_string(body.pageWidth) + "\" imageHeight=\"" +
         std::to_string(body.pageHeight) +
         "\">\n    <ReadingOrder>\n      <OrderedGroup id=\"ro1\">\n"
         "        <RegionRefIndexed index=\"0\" regionRef=\"r1\"/>\n      </OrderedGroup>\n"
         "    </ReadingOrder>\n    <TextRegion id=\"r1\">\n      <Coords points=\"" +
         Points(regionBox) + "\"/>\n" + lines + "    </TextRegion>\n  </Page>\n</PcGts>\n";
  return xml;
}

std::string UtcNowDateTime() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}
