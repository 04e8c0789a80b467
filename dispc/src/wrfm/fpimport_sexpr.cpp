// The S-expression reader of the footprint importer (see fpimport_sexpr.h). It reads
// without recursion, keeping the open lists on a stack bounded by zkMaxNesting, so
// that the tree's depth, and the recursion of its destructor, stay bounded too.
#include "wrfm/fpimport_sexpr.h"

#include "dispc/wrfm/fpimport.h"

#include "zfound/strings.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace zc_fp {

std::string_view Node::head() const {
  if (kind != eList || items.empty() || items.front().kind != eSymbol) return {};
  return items.front().text;
}

std::string where(const std::string& source, long line, const std::string& what) {
  return source + ":" + std::to_string(line) + ": " + what;
}

namespace {

[[noreturn]] void malformed(const std::string& source, long line, const std::string& what) {
  throw zcFootprintImport::Malformed(zfConvertString(where(source, line, what)));
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// A symbol ends at white space, a parenthesis or a quote.
bool endsSymbol(char c) { return isSpace(c) || c == '(' || c == ')' || c == '"'; }

std::string byteText(unsigned char c) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", c);
  return text;
}

class Reader {
public:
  Reader(std::string_view text, const std::string& source) : text_(text), source_(source) {}

  Node read() {
    if (text_.size() > zkMaxFootprintBytes)
      malformed(source_, 1, "the text is larger than " + std::to_string(zkMaxFootprintBytes) + " bytes");
    std::vector<Node> open;
    Node root;
    bool haveRoot = false;
    while (skipSpace()) {
      const char c = text_[pos_];
      if (haveRoot && open.empty()) malformed(source_, line_, "text after the closing parenthesis of the root");
      if (c == '(') {
        if (open.size() == zkMaxNesting)
          malformed(source_, line_, "lists nested deeper than " + std::to_string(zkMaxNesting) + " levels");
        count();
        open.emplace_back();
        open.back().line = line_;
        ++pos_;
      } else if (c == ')') {
        if (open.empty()) malformed(source_, line_, "a closing parenthesis without an opening one");
        ++pos_;
        Node done = std::move(open.back());
        open.pop_back();
        if (open.empty()) {
          root = std::move(done);
          haveRoot = true;
        } else {
          open.back().items.push_back(std::move(done));
        }
      } else {
        if (open.empty()) malformed(source_, line_, "an atom outside any list");
        count();
        open.back().items.push_back(c == '"' ? string() : symbol());
      }
    }
    if (!open.empty())
      malformed(source_, open.back().line, "a list opened here is not closed before the end of the text");
    if (!haveRoot) malformed(source_, line_, "no list in the text");
    return root;
  }

private:
  // Moves past white space; false at the end of the text.
  bool skipSpace() {
    while (pos_ < text_.size() && isSpace(text_[pos_])) {
      if (text_[pos_] == '\n') ++line_;
      ++pos_;
    }
    return pos_ < text_.size();
  }

  void count() {
    if (++nodes_ > zkMaxNodes) malformed(source_, line_, "more than " + std::to_string(zkMaxNodes) + " items");
  }

  Node string() {
    Node node;
    node.kind = Node::eString;
    node.line = line_;
    ++pos_;
    for (;;) {
      if (pos_ >= text_.size()) malformed(source_, node.line, "a string opened here is not closed");
      char c = text_[pos_++];
      if (c == '"') return node;
      if (c == '\\') {
        if (pos_ >= text_.size()) malformed(source_, node.line, "a string opened here is not closed");
        c = text_[pos_++];
        c = c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
      }
      if (c == '\n') ++line_;
      node.text += c;
    }
  }

  Node symbol() {
    Node node;
    node.kind = Node::eSymbol;
    node.line = line_;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !endsSymbol(text_[pos_])) {
      const auto u = static_cast<unsigned char>(text_[pos_]);
      if (u < 0x20 || u == 0x7F) malformed(source_, line_, "the control character " + byteText(u));
      ++pos_;
    }
    node.text.assign(text_.substr(start, pos_ - start));
    double value = 0;
    const char* first = node.text.data();
    const char* last = first + node.text.size();
    // from_chars takes no leading '+'; such a number is a symbol, as are "inf" and "nan".
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc() && end == last && std::isfinite(value)) {
      node.kind = Node::eNumber;
      node.number = value;
    }
    return node;
  }

  std::string_view text_;
  const std::string& source_;
  std::size_t pos_ = 0;
  long line_ = 1;
  std::size_t nodes_ = 0;
};

}  // namespace

Node readSExpression(std::string_view text, const std::string& source) { return Reader(text, source).read(); }

}  // namespace zc_fp
