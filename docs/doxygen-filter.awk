# Doxygen input filter: the headers keep plain "//" comments, which this turns into documentation
# comments as Doxygen reads them (the files themselves stay as they are).
#   - the comment right after "#pragma once" describes the file;
#   - a comment block directly followed by a declaration describes it (its first sentence is the brief);
#     a block followed by a blank line introduces a section and stays a plain comment;
#   - a comment after a declaration ending in ";" or "," describes that declaration;
#   - "// ----" section rulers stay plain comments.
function flush(as_doc,    i, line) {
    for (i = 1; i <= held; ++i) {
        line = block[i]
        if (as_doc) sub(/\/\//, "///", line)
        print line
    }
    held = 0
}
/^#pragma once/ { print; state = "file"; next }
state == "file" && /^\/\// {
    if (!described) { print "/// @file"; described = 1 }
    sub(/^\/\//, "///"); print; next
}
state == "file" { state = "body" }
/^[ \t]*\/\/ ----/ { flush(0); print; next }
/^[ \t]*\/\// { block[++held] = $0; next }
/^[ \t]*$/ { flush(0); print; next }
{ flush(1) }
/[;,][ \t]*\/\/ / { sub(/[ \t]*\/\/ /, "  ///< "); print; next }
{ print }
END { flush(0) }
