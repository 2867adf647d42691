#pragma once
// Open Packaging Conventions: relationships, content types and part names, and the small
// XML parts read whole into a tree.

#include "app/result.h"

#include <pugixml.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace rowbit::xlsx {

struct Relationship {
    std::string id;
    std::string type;
    std::string target; // the part it points to (no leading slash), or the raw external target
    bool external = false;
};

// "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels"; "" (the package) -> "_rels/.rels".
std::string relsPartFor(std::string_view part);
// Resolves a relationship target against the part that holds it (relative or absolute).
std::string resolveTarget(std::string_view sourcePart, std::string_view target);
// A target for `part` written relative to `sourcePart`'s folder.
std::string relativeTarget(std::string_view sourcePart, std::string_view part);
// True when a relationship type ends in "/<kind>", transitional or strict.
bool relIs(std::string_view type, std::string_view kind);

// Parses small XML, refusing a document type declaration.
Result<void> parseXml(pugi::xml_document& doc, std::string_view bytes, const std::string& where);
std::string serializeXml(const pugi::xml_document& doc);

Result<std::vector<Relationship>>
parseRelationships(std::string_view bytes, std::string_view sourcePart, const std::string& where);

// Child elements and attributes by local name, whatever prefix the writer chose.
pugi::xml_node child(pugi::xml_node node, std::string_view local);
pugi::xml_attribute attr(pugi::xml_node node, std::string_view local);
std::string_view localOf(const char* name);

} // namespace rowbit::xlsx
