/** Cannot be loaded: its superclass is missing from the class path. */
public class NeedsGone extends Gone {
  public static void main(String[] args) {}
}
