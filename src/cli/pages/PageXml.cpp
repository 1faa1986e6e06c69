#include "cli/pages/PageXml.h"

#include <algorithm>
#include <ctime>

#include "cli/output/TextFormat.h"
#include "cli/pages/PageInfo.h"
#include "resources/Version.h"

namespace {

constexpr char kPageNamespace[] = "http://schema.primaresearch.org/PAGE/gts/pagecontent/2019-07-15";
constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Whether XML 1.0 can hold `code` as a character: not the C0 controls but tab, newline and
// carriage return, not the noncharacters U+FFFE and U+FFFF (nor surrogates, which valid UTF-8
// never holds).
bool IsXmlCharacter(char32_t code) {
  return code == '\t' || code == '\n' || code == '\r' || (code >= 0x20 && code < 0xFFFE) ||
         code > 0xFFFF;
}

// Appends `text` escaped for XML character data and attribute values alike. Characters XML
// cannot hold and bytes that are no part of a valid UTF-8 character become U+FFFD; tab,
// newline and carriage return are written as character references, so neither a parser's
// line-end handling nor attribute value normalisation changes them.
void AppendEscaped(std::string& out, std::string_view text) {
  while (!text.empty()) {
    const std::size_t length = Utf8CharLength(text);
    const std::string_view character = text.substr(0, std::max<std::size_t>(length, 1));
    text.remove_prefix(character.size());
    const char32_t code = length == 0 ? 0xFFFD : Utf8CodePoint(character);
    switch (code) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\t':
      case '\n':
      case '\r':
        out += "&#" + std::to_string(code) + ";";
        break;
      default:
        out += length > 0 && IsXmlCharacter(code) ? character : kReplacement;
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
  if (line.width <= 0 || line.height <= 0) return std::nullopt;  // no pixels
  const std::int64_t right = std::int64_t{line.left} + line.width;
  const std::int64_t bottom = std::int64_t{line.top} + line.height;
  const PageBox box{std::max(line.left, 0), std::max(line.top, 0),
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
    region =
        region ? PageBox{std::min(region->left, box->left), std::min(region->top, box->top),
                         std::max(region->right, box->right), std::max(region->bottom, box->bottom)}
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

std::string PageXmlTitle(std::string_view title) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  while (!title.empty()) {
    const std::size_t length = Utf8CharLength(title);
    const std::string_view character = title.substr(0, std::max<std::size_t>(length, 1));
    title.remove_prefix(character.size());
    const char32_t code = length == 0 ? 0 : Utf8CodePoint(character);
    if (length > 0 && code != '%' && !IsHiddenCharacter(code) && IsXmlCharacter(code)) {
      out += character;
      continue;
    }
    for (const char c : character) {
      const auto byte = static_cast<unsigned char>(c);
      out += {'%', kHex[byte >> 4], kHex[byte & 0x0F]};
    }
  }
  return out;
}

std::string UtcNowDateTime() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}
