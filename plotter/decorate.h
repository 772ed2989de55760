// Additions to a PostScript page already written: the program's vector logo
// and a block of text. Both take the place of the page's "showpage" line
// and close the page again, so several can be added one after another.
#pragma once

// Results: 0 done, 56 the files cannot be used, 118 the PostScript file has
// no "showpage" line (it is then left unchanged).
enum : int {
  kDecorateOk = 0,
  kDecorateFailed = 56,
  kDecorateNoShowpage = 118,
};

// The logo with its top left corner at (x, y) cm, `height` cm high.
int InsertLogo(const char* psFile, float x, float y, float height);

// The lines of `textFile` in Courier of `size` cm, the first at (x, y), each
// further line 1.2 size lower.
int InsertText(const char* psFile, const char* textFile, float x, float y, float size);
