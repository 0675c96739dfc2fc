import java.awt.Color;
import java.awt.Dimension;
import java.awt.Frame;
import java.awt.Graphics2D;
import java.awt.SplashScreen;
import java.awt.Toolkit;

/**
 * Reports the splash screen the process shows, as java.awt.SplashScreen sees
 * it. Arguments: what to do with it, then the file a screenshot goes to.
 *   close   takes the screenshot (xwd), then closes the splash itself
 *   draw    paints a green square on it, updates it, takes the screenshot, closes it
 *   window  opens a window, reports whether the splash went with it, takes the screenshot
 *   leave   leaves it open and ends
 */
public class SplashProbe {
  public static void main(String[] args) throws Exception {
    String action = args.length > 0 ? args[0] : "close";
    SplashScreen splash;
    try {
      splash = SplashScreen.getSplashScreen();
    } catch (java.awt.HeadlessException e) {
      System.out.println("headless");
      return;
    }
    if (splash == null) {
      System.out.println("splash none");
      return;
    }
    Dimension size = splash.getSize();
    String image = splash.getImageURL().getPath();
    System.out.println("splash " + size.width + "x" + size.height + " image " + image.substring(image.lastIndexOf('/') + 1));
    if (action.equals("draw")) {
      Graphics2D graphics = splash.createGraphics();
      graphics.setColor(Color.GREEN);
      graphics.fillRect(0, 0, size.width / 2, size.height / 2);
      splash.update();
    }
    if (action.equals("close") || action.equals("draw")) {
      Process shot = new ProcessBuilder("xwd", "-root", "-silent", "-out", args[1]).inheritIO().start();
      System.out.println("screenshot " + shot.waitFor());
      splash.close();
      System.out.println("closed, visible " + splash.isVisible());
    } else if (action.equals("window")) {
      Frame frame = new Frame("first window");
      frame.setSize(200, 100);
      frame.setVisible(true);
      Toolkit.getDefaultToolkit().sync();
      // The window closes it on its way to the screen; give the splash's thread a moment.
      for (int i = 0; i < 50 && splash.isVisible(); ++i) Thread.sleep(100);
      System.out.println("window shown, splash visible " + splash.isVisible());
      Process shot = new ProcessBuilder("xwd", "-root", "-silent", "-out", args[1]).inheritIO().start();
      System.out.println("screenshot " + shot.waitFor());
      frame.dispose();
    }
  }
}
