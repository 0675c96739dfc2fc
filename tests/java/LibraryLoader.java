/** Loads the native library named by its argument and says whether it could. */
public class LibraryLoader {
  public static void main(String[] args) {
    try {
      System.loadLibrary(args[0]);
      System.out.println("loaded " + args[0]);
    } catch (UnsatisfiedLinkError e) {
      System.out.println("not loaded " + args[0]);
    }
  }
}
