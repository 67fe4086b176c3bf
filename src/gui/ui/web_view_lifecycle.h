#pragma once

class QWidget;

namespace brindle::gui {

// A web view that gives its renderer back while it is hidden: a moment after it is hidden its page
// is discarded (its document and the memory it holds are let go), and when it is shown again the
// page is loaded anew. For views that the client keeps but shows only now and then, such as the
// halls' advertisement panes. Without the web engine, nothing happens.
void release_renderer_when_hidden(QWidget* web_view);

}  // namespace brindle::gui
