#include "wx/SmokeSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace nuvix::wx::smoke {

namespace {

WxToolkit* toolkit = nullptr;

GtkWidget* FindTopLevel(const std::string& title)
{
    GList* windows = gtk_window_list_toplevels();
    GtkWidget* found = nullptr;
    for (GList* node = windows; node && !found; node = node->next) {
        auto* widget = static_cast<GtkWidget*>(node->data);
        const char* t = gtk_window_get_title(GTK_WINDOW(widget));
        if (t && title == t && gtk_widget_get_visible(widget)) found = widget;
    }
    g_list_free(windows);
    return found;
}

bool TreeHasLabel(GtkWidget* widget, const std::string& text)
{
    if (GTK_IS_LABEL(widget) && text == gtk_label_get_text(GTK_LABEL(widget))) return true;
    if (GTK_IS_BUTTON(widget)) {
        const char* label = gtk_button_get_label(GTK_BUTTON(widget));
        if (label && text == label) return true;
    }
    if (!GTK_IS_CONTAINER(widget)) return false;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    bool found = false;
    for (GList* node = children; node && !found; node = node->next) {
        found = TreeHasLabel(static_cast<GtkWidget*>(node->data), text);
    }
    g_list_free(children);
    return found;
}

GtkWidget* FindInTree(GtkWidget* widget, const std::function<bool(GtkWidget*)>& match)
{
    if (match(widget)) return widget;
    if (!GTK_IS_CONTAINER(widget)) return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    GtkWidget* found = nullptr;
    for (GList* node = children; node && !found; node = node->next) {
        found = FindInTree(static_cast<GtkWidget*>(node->data), match);
    }
    g_list_free(children);
    return found;
}

GtkWidget* OpenMessageDialog()
{
    GList* windows = gtk_window_list_toplevels();
    GtkWidget* found = nullptr;
    for (GList* node = windows; node && !found; node = node->next) {
        auto* widget = static_cast<GtkWidget*>(node->data);
        if (GTK_IS_MESSAGE_DIALOG(widget) && gtk_widget_get_visible(widget)) found = widget;
    }
    g_list_free(windows);
    return found;
}

}  // namespace

WxToolkit& Toolkit()
{
    return *toolkit;
}

void SetToolkit(WxToolkit& kit)
{
    toolkit = &kit;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
    }
    return true;
}

void PumpFor(int ms)
{
    PumpUntil([] { return false; }, ms);
    gdk_display_sync(gdk_display_get_default());
}

int ScreenshotHoldMs()
{
    const char* hold = std::getenv("NUVIX_SMOKE_HOLD_MS");
    return hold ? std::max(0, std::atoi(hold)) : 0;
}

void HoldForScreenshot()
{
    if (const int ms = ScreenshotHoldMs(); ms > 0) PumpFor(ms);
}

std::optional<gfx::Bitmap> CaptureScreen(gfx::Rect area)
{
    GdkWindow* root = gdk_get_default_root_window();
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(root, area.left, area.top, area.Width(), area.Height());
    if (!shot) return std::nullopt;
    const int channels = gdk_pixbuf_get_n_channels(shot);
    const int stride = gdk_pixbuf_get_rowstride(shot);
    const guchar* data = gdk_pixbuf_read_pixels(shot);
    gfx::Bitmap image(area.Width(), area.Height());
    for (int y = 0; y < area.Height(); ++y) {
        const guchar* p = data + static_cast<ptrdiff_t>(y) * stride;
        for (int x = 0; x < area.Width(); ++x, p += channels) {
            image.Set(x, y, gfx::Color{p[0], p[1], p[2]}.ToPixel());
        }
    }
    g_object_unref(shot);
    return image;
}

std::optional<gfx::Rect> ClientAreaOnScreen(const std::string& title)
{
    GtkWidget* top = FindTopLevel(title);
    GdkWindow* window = top ? gtk_widget_get_window(top) : nullptr;
    if (!window) return std::nullopt;
    int x = 0;
    int y = 0;
    gdk_window_get_origin(window, &x, &y);
    return gfx::Rect::FromSize(x, y, gdk_window_get_width(window), gdk_window_get_height(window));
}

bool HasLabel(const std::string& title, const std::string& text)
{
    GtkWidget* top = FindTopLevel(title);
    return top && TreeHasLabel(top, text);
}

GtkWidget* FindWidget(const std::string& title, const std::function<bool(GtkWidget*)>& match)
{
    GtkWidget* top = FindTopLevel(title);
    return top ? FindInTree(top, match) : nullptr;
}

GtkWidget* FindButton(const std::string& title, const std::string& text)
{
    return FindWidget(title, [&](GtkWidget* w) { return GTK_IS_BUTTON(w) && TreeHasLabel(w, text); });
}

namespace {
GdkWindow* ClientWindow(const std::string& title, int width, int height)
{
    GtkWidget* area = FindWidget(title, [&](GtkWidget* w) {
        return gtk_style_context_has_class(gtk_widget_get_style_context(w), "nuvix") &&
               gtk_widget_get_allocated_width(w) == width && gtk_widget_get_allocated_height(w) == height;
    });
    return area ? gtk_widget_get_window(area) : nullptr;
}

void Deliver(GdkEvent* event, GdkWindow* window)
{
    GdkDisplay* display = gdk_window_get_display(window);
    gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(display)));
    gtk_main_do_event(event);
    gdk_event_free(event);  // also drops the window reference
}
}  // namespace

bool PressLeftButton(const std::string& title, int width, int height, gfx::Point at)
{
    GdkWindow* window = ClientWindow(title, width, height);
    if (!window) return false;
    GdkEvent* event = gdk_event_new(GDK_BUTTON_PRESS);
    event->button.window = GDK_WINDOW(g_object_ref(window));
    event->button.send_event = TRUE;
    event->button.time = GDK_CURRENT_TIME;
    event->button.x = at.x;
    event->button.y = at.y;
    event->button.button = 1;
    Deliver(event, window);
    return true;
}

bool MoveMouse(const std::string& title, int width, int height, gfx::Point at, bool leftHeld)
{
    GdkWindow* window = ClientWindow(title, width, height);
    if (!window) return false;
    GdkEvent* event = gdk_event_new(GDK_MOTION_NOTIFY);
    event->motion.window = GDK_WINDOW(g_object_ref(window));
    event->motion.send_event = TRUE;
    event->motion.time = GDK_CURRENT_TIME;
    event->motion.x = at.x;
    event->motion.y = at.y;
    event->motion.state = leftHeld ? GDK_BUTTON1_MASK : 0;
    Deliver(event, window);
    return true;
}

std::optional<OpenBox> FindOpenMessageBox()
{
    GtkWidget* box = OpenMessageDialog();
    if (!box) return std::nullopt;
    OpenBox open;
    if (const char* title = gtk_window_get_title(GTK_WINDOW(box))) open.title = title;
    gchar* text = nullptr;
    g_object_get(box, "text", &text, nullptr);
    if (text) open.text = text;
    g_free(text);
    return open;
}

void AnswerMessageBoxes()
{
    while (GtkWidget* box = OpenMessageDialog()) {
        gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
        gtk_widget_hide(box);
    }
}

namespace {
template <class Test>
int CountPixels(const gfx::Bitmap& image, gfx::Rect area, Test test)
{
    int count = 0;
    for (int y = std::max(area.top, 0); y < std::min(area.bottom, image.Height()); ++y) {
        for (int x = std::max(area.left, 0); x < std::min(area.right, image.Width()); ++x) {
            if (test(gfx::Color::FromPixel(image.At(x, y)))) ++count;
        }
    }
    return count;
}
}  // namespace

int CountDarkPixels(const gfx::Bitmap& image, gfx::Rect area)
{
    return CountPixels(image, area, [](gfx::Color c) { return std::max({c.r, c.g, c.b}) < 110; });
}

int CountPixelsUnlike(const gfx::Bitmap& image, gfx::Rect area, gfx::Color ground)
{
    return CountPixels(image, area, [ground](gfx::Color c) { return c != ground; });
}

}  // namespace nuvix::wx::smoke
